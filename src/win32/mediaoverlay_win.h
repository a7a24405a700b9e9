#pragma once

#include <windows.h>

#include <memory>
#include <string>

// The system's media overlay (Windows 10 and later) for the main window:
// the track playing and a Next button, which reaches the window as the media
// key's WM_APPCOMMAND does. There is no Play, Pause or Stop: the emulator
// cannot be paused.
class MediaOverlay
{
public:
    // None where the system has no media transport controls (before
    // Windows 10, or Wine without them).
    static std::unique_ptr<MediaOverlay> start(HWND window);
    // Clears the overlay.
    ~MediaOverlay();
    MediaOverlay(const MediaOverlay &) = delete;
    MediaOverlay &operator=(const MediaOverlay &) = delete;

    void show(const std::string &gameTitle, const std::string &musicTitle);

private:
    struct Interfaces;
    explicit MediaOverlay(std::unique_ptr<Interfaces> interfaces);
    std::unique_ptr<Interfaces> m_interfaces;
};
