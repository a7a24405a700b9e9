#pragma once

// The few WinRT interfaces of the system's media transport controls that
// Tunelark uses, which the mingw-w64 headers we build with do not declare.
// Written from Microsoft's documentation of Windows.Media; each vtable in the
// documented order, after IUnknown's 3 and IInspectable's 3 slots. Slots
// Tunelark never calls hold placeholders, so the methods it does call keep
// their place.

#include <windows.h>
#include <eventtoken.h>
#include <inspectable.h>

namespace winrt_media {

inline constexpr wchar_t kClassName[] = L"Windows.Media.SystemMediaTransportControls";

// The values of MediaPlaybackStatus, MediaPlaybackType and
// SystemMediaTransportControlsButton that Tunelark uses.
enum class PlaybackStatus : int { Closed = 0, Playing = 3 };
enum class PlaybackType : int { Music = 1 };
enum class Button : int { Next = 6, Previous = 7 };

// ddb0472d-c911-4a1f-86d9-dc3d71a95f5a, from the activation factory.
struct ISystemMediaTransportControlsInterop : IInspectable
{
    virtual HRESULT STDMETHODCALLTYPE GetForWindow(HWND window, REFIID iid, void **controls) = 0; // 6
};
inline constexpr IID IID_ISystemMediaTransportControlsInterop{
    0xddb0472d, 0xc911, 0x4a1f, {0x86, 0xd9, 0xdc, 0x3d, 0x71, 0xa9, 0x5f, 0x5a}};

struct ISystemMediaTransportControls;
struct ISystemMediaTransportControlsButtonPressedEventArgs;

// TypedEventHandler<SystemMediaTransportControls, ...ButtonPressedEventArgs>:
// a delegate, so IUnknown only.
struct IButtonPressedHandler : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Invoke(ISystemMediaTransportControls *sender,
                                             ISystemMediaTransportControlsButtonPressedEventArgs *args) = 0; // 3
};
inline constexpr IID IID_IButtonPressedHandler{
    0x0557e996, 0x7b23, 0x5bae, {0xaa, 0x81, 0xea, 0x0d, 0x67, 0x11, 0x43, 0xa4}};

struct ISystemMediaTransportControlsButtonPressedEventArgs : IInspectable
{
    virtual HRESULT STDMETHODCALLTYPE get_Button(Button *button) = 0; // 6
};
inline constexpr IID IID_ISystemMediaTransportControlsButtonPressedEventArgs{
    0xb7f47116, 0xa56f, 0x4dc8, {0x9e, 0x11, 0x92, 0x03, 0x1f, 0x4a, 0x87, 0xc2}};

struct IMusicDisplayProperties : IInspectable
{
    virtual HRESULT STDMETHODCALLTYPE get_Title(HSTRING *value) = 0;          // 6
    virtual HRESULT STDMETHODCALLTYPE put_Title(HSTRING value) = 0;           // 7
    virtual HRESULT STDMETHODCALLTYPE get_AlbumArtist(HSTRING *value) = 0;    // 8
    virtual HRESULT STDMETHODCALLTYPE put_AlbumArtist(HSTRING value) = 0;     // 9
    virtual HRESULT STDMETHODCALLTYPE get_Artist(HSTRING *value) = 0;         // 10
    virtual HRESULT STDMETHODCALLTYPE put_Artist(HSTRING value) = 0;          // 11
};
inline constexpr IID IID_IMusicDisplayProperties{
    0x6bbf0c59, 0xd0a0, 0x4d26, {0x92, 0xa0, 0xf9, 0x78, 0xe1, 0xd1, 0x8e, 0x7b}};

struct ISystemMediaTransportControlsDisplayUpdater : IInspectable
{
    virtual HRESULT STDMETHODCALLTYPE get_Type(PlaybackType *type) = 0;                       // 6
    virtual HRESULT STDMETHODCALLTYPE put_Type(PlaybackType type) = 0;                        // 7
    virtual HRESULT STDMETHODCALLTYPE get_AppMediaId(HSTRING *value) = 0;                     // 8
    virtual HRESULT STDMETHODCALLTYPE put_AppMediaId(HSTRING value) = 0;                      // 9
    virtual HRESULT STDMETHODCALLTYPE get_Thumbnail(void **value) = 0;                        // 10
    virtual HRESULT STDMETHODCALLTYPE put_Thumbnail(void *value) = 0;                         // 11
    virtual HRESULT STDMETHODCALLTYPE get_MusicProperties(IMusicDisplayProperties **value) = 0; // 12
    virtual HRESULT STDMETHODCALLTYPE get_VideoProperties(void **value) = 0;                  // 13
    virtual HRESULT STDMETHODCALLTYPE get_ImageProperties(void **value) = 0;                  // 14
    virtual HRESULT STDMETHODCALLTYPE CopyFromFileAsync(int type, void *file, void **operation) = 0; // 15
    virtual HRESULT STDMETHODCALLTYPE ClearAll() = 0;                                         // 16
    virtual HRESULT STDMETHODCALLTYPE Update() = 0;                                           // 17
};
inline constexpr IID IID_ISystemMediaTransportControlsDisplayUpdater{
    0x8abbc53e, 0xfa55, 0x4ecf, {0xad, 0x8e, 0xc9, 0x84, 0xe5, 0xdd, 0x15, 0x50}};

struct ISystemMediaTransportControls : IInspectable
{
    virtual HRESULT STDMETHODCALLTYPE get_PlaybackStatus(PlaybackStatus *value) = 0; // 6
    virtual HRESULT STDMETHODCALLTYPE put_PlaybackStatus(PlaybackStatus value) = 0;  // 7
    virtual HRESULT STDMETHODCALLTYPE get_DisplayUpdater(ISystemMediaTransportControlsDisplayUpdater **value) = 0; // 8
    virtual HRESULT STDMETHODCALLTYPE get_SoundLevel(int *value) = 0;      // 9
    virtual HRESULT STDMETHODCALLTYPE get_IsEnabled(boolean *value) = 0;   // 10
    virtual HRESULT STDMETHODCALLTYPE put_IsEnabled(boolean value) = 0;    // 11
    // Play, Stop, Pause, Record, FastForward, Rewind: a get and a put each.
    virtual HRESULT STDMETHODCALLTYPE unused12() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused13() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused14() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused15() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused16() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused17() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused18() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused19() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused20() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused21() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused22() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused23() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPreviousEnabled(boolean *value) = 0; // 24
    virtual HRESULT STDMETHODCALLTYPE put_IsPreviousEnabled(boolean value) = 0;  // 25
    virtual HRESULT STDMETHODCALLTYPE get_IsNextEnabled(boolean *value) = 0; // 26
    virtual HRESULT STDMETHODCALLTYPE put_IsNextEnabled(boolean value) = 0;  // 27
    // ChannelUp, ChannelDown.
    virtual HRESULT STDMETHODCALLTYPE unused28() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused29() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused30() = 0;
    virtual HRESULT STDMETHODCALLTYPE unused31() = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ButtonPressed(IButtonPressedHandler *handler, EventRegistrationToken *token) = 0; // 32
    virtual HRESULT STDMETHODCALLTYPE remove_ButtonPressed(EventRegistrationToken token) = 0; // 33
};
inline constexpr IID IID_ISystemMediaTransportControls{
    0x99fa3ff4, 0x1742, 0x42a6, {0x90, 0x2e, 0x08, 0x7d, 0x41, 0xf9, 0x65, 0xec}};

} // namespace winrt_media
