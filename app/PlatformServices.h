#pragma once

namespace platform {
class MessageBoxes;
class ProcessLauncher;
} // namespace platform

// The operating-system services the main window works through. The program
// passes the real ones; tests pass doubles.
struct PlatformServices
{
    platform::MessageBoxes &messageBoxes;
    platform::ProcessLauncher &processLauncher;
};
