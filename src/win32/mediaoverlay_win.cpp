#include "win32/mediaoverlay_win.h"

#include "util/widestring_win.h"
#include "win32/winrt_media_win.h"

#include <activation.h>
#include <roapi.h>
#include <winstring.h>

#include <atomic>
#include <utility>

using namespace winrt_media;

namespace {

// The WinRT functions come from combase.dll at run time, so the program still
// starts on a Windows without them and imports only what every Windows has.
struct WinRt
{
    HMODULE module = nullptr;
    decltype(&RoInitialize) roInitialize = nullptr;
    decltype(&RoUninitialize) roUninitialize = nullptr;
    decltype(&RoGetActivationFactory) getActivationFactory = nullptr;
    decltype(&WindowsCreateString) createString = nullptr;
    decltype(&WindowsDeleteString) deleteString = nullptr;
    bool initialized = false;

    WinRt() = default;
    WinRt(const WinRt &) = delete;
    WinRt &operator=(const WinRt &) = delete;
    ~WinRt()
    {
        if (initialized)
            roUninitialize();
        if (module)
            FreeLibrary(module);
    }

    bool load()
    {
        module = LoadLibraryExW(L"combase.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module)
            return false;
        const auto find = [this](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                reinterpret_cast<void *>(GetProcAddress(module, name)));
            return function != nullptr;
        };
        if (!(find(roInitialize, "RoInitialize") && find(roUninitialize, "RoUninitialize") &&
              find(getActivationFactory, "RoGetActivationFactory") &&
              find(createString, "WindowsCreateString") && find(deleteString, "WindowsDeleteString")))
            return false;
        // S_FALSE: this thread was initialized already, and still needs the matching call.
        initialized = SUCCEEDED(roInitialize(RO_INIT_SINGLETHREADED));
        return true;
    }
};

// Owns one reference to a COM object.
template <typename T>
class ComRef
{
public:
    ComRef() = default;
    explicit ComRef(T *owned) : m_pointer(owned) {}
    ~ComRef() { reset(); }
    ComRef(ComRef &&other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
    ComRef &operator=(ComRef &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_pointer = std::exchange(other.m_pointer, nullptr);
        }
        return *this;
    }
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;

    T *get() const { return m_pointer; }
    T *operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }
    // For a function that hands out a reference.
    T **put()
    {
        reset();
        return &m_pointer;
    }
    void **putVoid() { return reinterpret_cast<void **>(put()); }

private:
    void reset()
    {
        if (m_pointer)
            std::exchange(m_pointer, nullptr)->Release();
    }
    T *m_pointer = nullptr;
};

// A string made for one call and deleted after it.
class HString
{
public:
    HString(const WinRt &winRt, const std::wstring &text) : m_winRt(winRt)
    {
        if (FAILED(winRt.createString(text.c_str(), static_cast<UINT32>(text.size()), &m_string)))
            m_string = nullptr; // the empty string
    }
    ~HString() { m_winRt.deleteString(m_string); }
    HString(const HString &) = delete;
    HString &operator=(const HString &) = delete;
    HSTRING get() const { return m_string; }

private:
    const WinRt &m_winRt;
    HSTRING m_string = nullptr;
};

// Next and Previous post the media keys' messages to the window: the system
// calls this on a thread of its own, and the player lives on the main loop.
class ButtonHandler final : public IButtonPressedHandler
{
public:
    explicit ButtonHandler(HWND window) : m_window(window) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IButtonPressedHandler || iid == IID_IAgileObject) {
            *object = static_cast<IButtonPressedHandler *>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Invoke(ISystemMediaTransportControls *,
                                     ISystemMediaTransportControlsButtonPressedEventArgs *args) override
    {
        Button button{};
        if (!args || FAILED(args->get_Button(&button)) || (button != Button::Next && button != Button::Previous))
            return S_OK;
        const short command = button == Button::Next ? APPCOMMAND_MEDIA_NEXTTRACK : APPCOMMAND_MEDIA_PREVIOUSTRACK;
        PostMessageW(m_window, WM_APPCOMMAND, reinterpret_cast<WPARAM>(m_window), MAKELPARAM(0, command));
        return S_OK;
    }

private:
    HWND m_window;
    std::atomic<ULONG> m_references{1};
};

} // namespace

struct MediaOverlay::Interfaces
{
    WinRt winRt;
    ComRef<ISystemMediaTransportControls> controls;
    ComRef<ISystemMediaTransportControlsDisplayUpdater> updater;
    ComRef<IMusicDisplayProperties> music;
    EventRegistrationToken buttonToken{};
};

std::unique_ptr<MediaOverlay> MediaOverlay::start(HWND window)
{
    auto interfaces = std::make_unique<Interfaces>();
    WinRt &winRt = interfaces->winRt;
    if (!winRt.load())
        return nullptr;
    ComRef<ISystemMediaTransportControlsInterop> interop;
    {
        const HString className(winRt, kClassName);
        if (FAILED(winRt.getActivationFactory(className.get(), IID_ISystemMediaTransportControlsInterop,
                                              interop.putVoid())))
            return nullptr;
    }
    Interfaces &i = *interfaces;
    if (FAILED(interop->GetForWindow(window, IID_ISystemMediaTransportControls, i.controls.putVoid())) ||
        FAILED(i.controls->get_DisplayUpdater(i.updater.put())) || FAILED(i.updater->put_Type(PlaybackType::Music)) ||
        FAILED(i.updater->get_MusicProperties(i.music.put())))
        return nullptr;
    ComRef<IButtonPressedHandler> handler(new ButtonHandler(window));
    if (FAILED(i.controls->add_ButtonPressed(handler.get(), &i.buttonToken)) ||
        FAILED(i.controls->put_IsNextEnabled(true)) || FAILED(i.controls->put_IsEnabled(true)))
        return nullptr;
    return std::unique_ptr<MediaOverlay>(new MediaOverlay(std::move(interfaces)));
}

MediaOverlay::MediaOverlay(std::unique_ptr<Interfaces> interfaces) : m_interfaces(std::move(interfaces)) {}

MediaOverlay::~MediaOverlay()
{
    Interfaces &i = *m_interfaces;
    i.controls->remove_ButtonPressed(i.buttonToken);
    i.updater->ClearAll();
    i.updater->Update();
    i.controls->put_PlaybackStatus(PlaybackStatus::Closed);
    i.controls->put_IsEnabled(false);
}

void MediaOverlay::show(const std::string &gameTitle, const std::string &musicTitle, bool canGoBack)
{
    Interfaces &i = *m_interfaces;
    i.controls->put_IsPreviousEnabled(canGoBack);
    const HString title(i.winRt, toWide(musicTitle));
    const HString game(i.winRt, toWide(gameTitle));
    i.updater->put_Type(PlaybackType::Music);
    i.music->put_Title(title.get());
    i.music->put_AlbumArtist(game.get());
    i.music->put_Artist(game.get());
    i.updater->Update();
    i.controls->put_PlaybackStatus(PlaybackStatus::Playing);
}
