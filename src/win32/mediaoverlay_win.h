#pragma once

#include <windows.h>

#include <memory>
#include <string>

// The system's media overlay (Windows 10 and later) for the main window:
// the track playing and the Next and Previous buttons, which reach the
// window as the media keys' WM_APPCOMMAND does. There is no Play, Pause or
// Stop: the emulator cannot be paused.
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

    // The track playing; Previous is offered once there is a track to go back to.
    void show(const std::string &gameTitle, const std::string &musicTitle, bool canGoBack);

private:
    struct Interfaces;
    explicit MediaOverlay(std::unique_ptr<Interfaces> interfaces);
    std::unique_ptr<Interfaces> m_interfaces;
};
