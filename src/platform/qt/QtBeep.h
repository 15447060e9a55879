#pragma once

#include "platform/Beep.h"

namespace aql::platform::qt {

class QtBeep final : public platform::Beep {
public:
    void beep() override;
};

} // namespace aql::platform::qt
