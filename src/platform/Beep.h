#pragma once

namespace aql::platform {

class Beep {
public:
    virtual ~Beep() = default;
    virtual void beep() = 0;
};

} // namespace aql::platform
