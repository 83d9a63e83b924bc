#pragma once

#include <thread>

/// Reads the system's font configuration on a second core while the toolkit
/// connects to the display. The configuration (some fifty XML files and the
/// font caches) is the larger part of the first text the window measures,
/// and needs nothing of the toolkit. Where the toolkit does not use
/// fontconfig (Windows, macOS) it does nothing.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    /// Waits until the configuration is read; before the first text.
    void Finish();

private:
    std::thread reader_;
};
