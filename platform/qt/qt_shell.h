#pragma once

#include "platform/shell.h"

namespace klangor {

/// Starts executables directly with an argument list and opens everything else through the
/// desktop's associations (xdg-open and friends, via QDesktopServices).
class QtShell final : public Shell {
public:
    bool open(const std::string& target) override;
};

}  // namespace klangor
