// Screens, 4 rows of 20:
//
//   status                  settings                 editing
//   pH  7.24    sp  7.20    SETTINGS       01/11     EDIT <> V=OK X=BACK
//   Cl  0.85    sp  0.80    >pH setpoint    7.20     >pH setpoint    7.25   (cursor on the last
//   Rx  725mV   Flow  42     pH high alm    7.60      pH high alm    7.60    character of the
//   27.5C  AUTO    08:15     pH low alm     6.80      pH low alm     6.80    edited value)

#include "sim/Panel.h"

#include <algorithm>

namespace aql::sim {

namespace {

constexpr int kColumns = 20;
constexpr std::size_t kVisibleItems = 3;
constexpr std::uint8_t kRowBase[4] = {0, 64, 20, 84};

std::string hundredths(int v) {
    const int a = v < 0 ? -v : v;
    std::string s = (v < 0 ? "-" : "") + std::to_string(a / 100) + ".";
    s += static_cast<char>('0' + (a % 100) / 10);
    s += static_cast<char>('0' + a % 10);
    return s;
}

std::string tenths(int v) {
    const int a = v < 0 ? -v : v;
    return (v < 0 ? "-" : "") + std::to_string(a / 10) + "." + static_cast<char>('0' + a % 10);
}

std::string right(const std::string &s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string left(const std::string &s, std::size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

std::string twoDigits(int v) {
    std::string s(2, '0');
    s[0] = static_cast<char>('0' + v / 10 % 10);
    s[1] = static_cast<char>('0' + v % 10);
    return s;
}

// Exactly 20 characters: too long is cut, too short is padded.
std::string fit(const std::string &s) {
    return left(s.substr(0, kColumns), kColumns);
}

std::string formatValue(ValueFormat format, int v) {
    switch (format) {
    case ValueFormat::Hundredths: return hundredths(v);
    case ValueFormat::MilliVolt: return std::to_string(v) + "mV";
    case ValueFormat::FlowRate: return std::to_string(v) + "m3/h";
    case ValueFormat::Mode: return v != 0 ? "MANUAL" : "AUTO";
    }
    return {};
}

} // namespace

const std::vector<MenuItem> &menuItems() {
    static const std::vector<MenuItem> kItems = {
        {"pH setpoint", var::kPhSetpoint, 650, 800, 5, ValueFormat::Hundredths},
        {"pH high alm", var::kPhHighAlarm, 700, 850, 5, ValueFormat::Hundredths},
        {"pH low alm", var::kPhLowAlarm, 600, 750, 5, ValueFormat::Hundredths},
        {"Cl setpoint", var::kClSetpoint, 20, 300, 5, ValueFormat::Hundredths},
        {"Cl high alm", var::kClHighAlarm, 50, 500, 5, ValueFormat::Hundredths},
        {"Cl low alm", var::kClLowAlarm, 0, 200, 5, ValueFormat::Hundredths},
        {"Redox hi alm", var::kRedoxHighAlarm, 600, 999, 10, ValueFormat::MilliVolt},
        {"Redox lo alm", var::kRedoxLowAlarm, 400, 800, 10, ValueFormat::MilliVolt},
        {"Flow low alm", var::kFlowLowAlarm, 0, 200, 1, ValueFormat::FlowRate},
        {"Flow stop", var::kFlowStopAlarm, 0, 200, 1, ValueFormat::FlowRate},
        {"Mode", var::kManualMode, 0, 1, 1, ValueFormat::Mode},
    };
    return kItems;
}

std::uint8_t displayAddress(int row, int column) {
    return static_cast<std::uint8_t>(kRowBase[row] + column);
}

bool Panel::press(std::uint8_t keyCode, Variables &vars) {
    if (keyCode < key::kLeft || keyCode > key::kAccept) {
        return false;
    }
    const std::size_t count = menuItems().size();
    if (m_screen == Screen::Status) {
        if (keyCode == key::kAccept) {
            m_screen = Screen::Settings;
            m_selected = 0;
            m_top = 0;
            m_editing = false;
        }
        return true;
    }
    if (m_editing) {
        switch (keyCode) {
        case key::kRight: change(+1); break;
        case key::kLeft: change(-1); break;
        case key::kAccept: {
            const VarRef ref = menuItems()[m_selected].ref;
            if (vars.value(ref) != m_editValue) {
                vars.set(ref, m_editValue);
                vars.set(var::kChangeFlag, 1);
            }
            m_editing = false;
            break;
        }
        case key::kCancel: m_editing = false; break;
        default: break; // up/down would leave a half-edited value behind: ignored
        }
        return true;
    }
    switch (keyCode) {
    case key::kUp:
        if (m_selected > 0) {
            --m_selected;
        }
        break;
    case key::kDown:
        if (m_selected + 1 < count) {
            ++m_selected;
        }
        break;
    case key::kRight:
        startEdit(vars);
        change(+1);
        break;
    case key::kLeft:
        startEdit(vars);
        change(-1);
        break;
    case key::kAccept: startEdit(vars); break;
    case key::kCancel: m_screen = Screen::Status; break;
    default: break;
    }
    m_top = std::min(m_top, m_selected);
    if (m_selected >= m_top + kVisibleItems) {
        m_top = m_selected + 1 - kVisibleItems;
    }
    return true;
}

void Panel::startEdit(const Variables &vars) {
    m_editing = true;
    m_editValue = vars.value(menuItems()[m_selected].ref);
}

void Panel::change(int direction) {
    const MenuItem &item = menuItems()[m_selected];
    if (item.format == ValueFormat::Mode) {
        m_editValue = m_editValue != 0 ? 0 : 1;
        return;
    }
    m_editValue = std::clamp(m_editValue + direction * item.step, item.min, item.max);
}

int Panel::row(std::size_t item) const {
    return static_cast<int>(item - m_top) + 1;
}

std::uint8_t Panel::cursorCode() const {
    if (m_screen != Screen::Settings || !m_editing) {
        return 0;
    }
    return static_cast<std::uint8_t>(kCursorShown | displayAddress(row(m_selected), kColumns - 1));
}

std::string Panel::text(const Variables &vars, const PlantValues &plant,
                        const Timestamp &now) const {
    std::string out;
    if (m_screen == Screen::Status) {
        out += fit("pH " + right(hundredths(plant.pH), 5) + "    sp " +
                   right(hundredths(vars.value(var::kPhSetpoint)), 5));
        out += fit("Cl " + right(hundredths(plant.chlorine), 5) + "    sp " +
                   right(hundredths(vars.value(var::kClSetpoint)), 5));
        out += fit("Rx " + right(std::to_string(plant.redox), 4) + "mV   Flow " +
                   right(std::to_string(plant.flow), 3));
        out += fit(right(tenths(plant.temperature), 4) + "C  " +
                   left(manualMode(vars) ? "MANUAL" : "AUTO", 6) + "  " + twoDigits(now.hour) +
                   ":" + twoDigits(now.minute));
        return out;
    }
    const auto &items = menuItems();
    if (m_editing) {
        out += fit("EDIT <> V=OK X=BACK");
    } else {
        out += fit("SETTINGS       " + twoDigits(static_cast<int>(m_selected + 1)) + "/" +
                   twoDigits(static_cast<int>(items.size())));
    }
    for (std::size_t i = m_top; i < m_top + kVisibleItems; ++i) {
        if (i >= items.size()) {
            out += fit("");
            continue;
        }
        const bool selectedRow = i == m_selected;
        const int v = (selectedRow && m_editing) ? m_editValue : vars.value(items[i].ref);
        out += fit(std::string(selectedRow ? ">" : " ") + left(items[i].name, 12) +
                   right(formatValue(items[i].format, v), 7));
    }
    return out;
}

} // namespace aql::sim
