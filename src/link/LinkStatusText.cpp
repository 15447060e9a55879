#include "link/LinkStatusText.h"

#include "core/Numbers.h"
#include "core/TextId.h"

namespace aql::link {

namespace {

std::string age(std::int64_t ms) {
    // Milliseconds say a healthy link is answering its polls; whole seconds are enough once it is
    // not.
    if (ms < 1000) {
        return std::to_string(ms < 0 ? 0 : ms) + " ms";
    }
    return std::to_string(ms / 1000) + " s";
}

std::string downloadText(const DownloadStatus &d, const TextSource &texts) {
    const std::string held =
        texts(TextId::DownloadRecordsHeld) + " " + std::to_string(d.recordsHeld);
    switch (d.state) {
    case DownloadStatus::State::None: return {};
    case DownloadStatus::State::Receiving:
        return held + "   " + std::to_string(d.recordsPerSecond) + " " +
               texts(TextId::RecordsPerSecond) + "   " + texts(TextId::DownloadElapsed) + " " +
               minutesAndSeconds(d.elapsedMs);
    case DownloadStatus::State::Complete:
        return texts(TextId::LogComplete) + " " + std::to_string(d.recordsHeld) + " " +
               texts(TextId::RecordsWord);
    case DownloadStatus::State::ControllerSilent:
        return texts(TextId::DownloadStopped) + " " + held;
    case DownloadStatus::State::Interrupted: return texts(TextId::DownloadInterrupted) + " " + held;
    }
    return {};
}

} // namespace

std::string minutesAndSeconds(std::int64_t ms) {
    const std::int64_t seconds = ms < 0 ? 0 : ms / 1000;
    const std::int64_t hours = seconds / 3600;
    const std::int64_t minutes = (seconds / 60) % 60;
    const int s = static_cast<int>(seconds % 60);
    if (hours > 0) {
        return std::to_string(hours) + ":" + padded(static_cast<int>(minutes), 2) + ":" +
               padded(s, 2);
    }
    return std::to_string(minutes) + ":" + padded(s, 2);
}

std::string describeEnd(const ConnectionEnd &end, const TextSource &texts) {
    const std::string error =
        texts(TextId::CommunicationError) + " " + std::to_string(end.socketError);
    switch (end.reason) {
    case EndReason::None: return {};
    case EndReason::OperatorOffline: return texts(TextId::EndOfflineChosen);
    case EndReason::PoolChanged: return texts(TextId::EndPoolChanged);
    case EndReason::ConfigurationChanged: return texts(TextId::EndConfigurationChanged);
    case EndReason::AnswerTimeout: return texts(TextId::EndAnswerTimeout);
    case EndReason::SocketError: return error;
    case EndReason::ClosedByController: return texts(TextId::EndClosedByController) + ", " + error;
    case EndReason::CorruptReply: return texts(TextId::EndCorruptReply);
    case EndReason::ConnectFailed: return texts(TextId::EndConnectFailed) + ", " + error;
    }
    return {};
}

LinkStatusTexts describeStatus(const LinkStatus &status, const TextSource &texts) {
    LinkStatusTexts out;
    switch (status.phase) {
    case LinkPhase::Offline: out.phase = texts(TextId::StatusOffline); break;
    case LinkPhase::Connecting: out.phase = texts(TextId::Connecting); break;
    case LinkPhase::Online: out.phase = texts(TextId::StatusOnline); break;
    }
    if (status.lastReplyAgeMs) {
        out.reply =
            texts(TextId::LastReply) + " " + age(*status.lastReplyAgeMs) + " " + texts(TextId::Ago);
    }
    if (status.stale) {
        out.staleNote = texts(TextId::NoReplyNote);
    }
    out.linesReceived = texts(TextId::LinesReceived) + " " + std::to_string(status.linesReceived);
    out.checksumErrors =
        texts(TextId::ChecksumErrors) + " " + std::to_string(status.checksumErrors);
    out.droppedLines = texts(TextId::DroppedLines) + " " + std::to_string(status.droppedLines);
    out.download = downloadText(status.download, texts);
    if (status.reconnect.pending) {
        out.reconnect = texts(TextId::ReconnectingIn) + " " +
                        std::to_string(status.reconnect.secondsLeft) + " s, " +
                        texts(TextId::Attempt) + " " + std::to_string(status.reconnect.attempt);
        if (status.lastEnd.reason != EndReason::None) {
            out.reconnect += " (" + describeEnd(status.lastEnd, texts) + ")";
        }
    }
    return out;
}

} // namespace aql::link
