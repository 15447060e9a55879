#pragma once

#include "link/LinkStatus.h"
#include "link/PanelView.h"

#include <string>

namespace aql::link {

// The status as a status bar shows it, in the current language; an empty text is not shown.
struct LinkStatusTexts {
    std::string phase;     // "Online", "Offline" or "Connecting"
    std::string reply;     // "Last reply 80 ms ago"
    std::string staleNote; // "No reply" while the display may no longer be true
    // The line counters, each with its caption ("Lines received: 1234").
    std::string linesReceived, checksumErrors, droppedLines;
    std::string download;  // the progress or the end of the last log download
    std::string reconnect; // the countdown to the next attempt and the loss that started it
};

LinkStatusTexts describeStatus(const LinkStatus &status, const TextSource &texts);

// Why a connection ended, as the status bar and the event log say it ("no answer in time").
std::string describeEnd(const ConnectionEnd &end, const TextSource &texts);

// A duration as minutes and seconds ("0:07", "12:30"), or hours too from an hour on ("1:02:03").
std::string minutesAndSeconds(std::int64_t ms);

} // namespace aql::link
