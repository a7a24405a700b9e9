// A stand-in for the system's media transport controls, which Debian's Wine
// lacks: tests/e2e/e2e_win.sh registers this DLL as the activatable class in
// its Wine prefix. Every call Tunelark makes is a line in the file that
// TUNELARK_OVERLAY_LOG names; when "<that file>.next" appears, the Next
// button is pressed. Without that variable it records nothing (the bench). The vtables are built here slot by slot from the
// documented interfaces, apart from the program's header, so a method in the
// wrong place there shows up as a call to an unexpected slot.
#include <windows.h>
#include <winstring.h>

#include <array>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>

namespace {

struct Object
{
    void **vtable;
    const char *name;
    GUID iid;
};
using Handler = Object; // the program's delegate, seen through its vtable

std::mutex g_logMutex;
std::mutex g_handlerMutex;
Object *g_handler = nullptr;

void record(const std::string &line)
{
    const wchar_t *log = _wgetenv(L"TUNELARK_OVERLAY_LOG");
    if (!log)
        return;
    const std::lock_guard lock(g_logMutex);
    if (FILE *file = _wfopen(log, L"ab")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

std::string utf8(HSTRING text)
{
    UINT32 length = 0;
    const wchar_t *wide = WindowsGetStringRawBuffer(text, &length);
    std::string bytes(static_cast<std::size_t>(length) * 3, '\0');
    bytes.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length),
                                                              bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                              nullptr)));
    return bytes;
}

constexpr GUID kIUnknown{0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIInspectable{0xaf86e2e0, 0xb12d, 0x4c6a, {0x9c, 0x5a, 0xd7, 0xaa, 0x65, 0x10, 0x1e, 0x90}};
constexpr GUID kIAgileObject{0x94ea2b94, 0xe9cc, 0x49e0, {0xc0, 0xff, 0xee, 0x64, 0xca, 0x8f, 0x5b, 0x90}};

HRESULT STDMETHODCALLTYPE queryInterface(Object *self, REFIID iid, void **out)
{
    if (iid == kIUnknown || iid == kIInspectable || iid == kIAgileObject || iid == self->iid) {
        *out = self;
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE addRef(Object *) { return 2; } // the objects live as long as the DLL
ULONG STDMETHODCALLTYPE release(Object *) { return 1; }

template <int Slot>
HRESULT STDMETHODCALLTYPE unexpected(Object *self)
{
    record(std::string("unexpected slot ") + std::to_string(Slot) + " of " + self->name);
    return E_NOTIMPL;
}

// A vtable of `size` slots: IUnknown's three, the given ones, and the rest unexpected.
template <std::size_t Size>
std::array<void *, Size> vtable(std::initializer_list<std::pair<int, void *>> slots)
{
    std::array<void *, Size> table{};
    [&]<std::size_t... Slot>(std::index_sequence<Slot...>) {
        ((table[Slot] = reinterpret_cast<void *>(&unexpected<Slot>)), ...);
    }(std::make_index_sequence<Size>{});
    table[0] = reinterpret_cast<void *>(&queryInterface);
    table[1] = reinterpret_cast<void *>(&addRef);
    table[2] = reinterpret_cast<void *>(&release);
    for (const auto &[slot, function] : slots)
        table[static_cast<std::size_t>(slot)] = function;
    return table;
}
template <typename F>
std::pair<int, void *> slot(int number, F function)
{
    return {number, reinterpret_cast<void *>(function)};
}
HRESULT STDMETHODCALLTYPE noteInt(const char *what, int value)
{
    record(std::string(what) + " " + std::to_string(value));
    return S_OK;
}
HRESULT STDMETHODCALLTYPE noteText(const char *what, HSTRING value)
{
    record(std::string(what) + " " + utf8(value));
    return S_OK;
}

extern Object g_controls, g_updater, g_music, g_arguments;

auto g_argumentsTable = vtable<7>({slot(6, +[](Object *, int *button) { *button = 6; return S_OK; })}); // get_Button: Next
Object g_arguments{g_argumentsTable.data(), "ButtonPressedEventArgs",
                   {0xb7f47116, 0xa56f, 0x4dc8, {0x9e, 0x11, 0x92, 0x03, 0x1f, 0x4a, 0x87, 0xc2}}};

auto g_musicTable = vtable<12>({
    slot(7, +[](Object *, HSTRING v) { return noteText("Title", v); }),
    slot(9, +[](Object *, HSTRING v) { return noteText("AlbumArtist", v); }),
    slot(11, +[](Object *, HSTRING v) { return noteText("Artist", v); }),
});
Object g_music{g_musicTable.data(), "MusicDisplayProperties",
               {0x6bbf0c59, 0xd0a0, 0x4d26, {0x92, 0xa0, 0xf9, 0x78, 0xe1, 0xd1, 0x8e, 0x7b}}};

auto g_updaterTable = vtable<18>({
    slot(7, +[](Object *, int type) { return noteInt("Type", type); }),
    slot(12, +[](Object *, Object **out) { *out = &g_music; return S_OK; }),
    slot(16, +[](Object *) { record("ClearAll"); return S_OK; }),
    slot(17, +[](Object *) { record("Update"); return S_OK; }),
});
Object g_updater{g_updaterTable.data(), "DisplayUpdater",
                 {0x8abbc53e, 0xfa55, 0x4ecf, {0xad, 0x8e, 0xc9, 0x84, 0xe5, 0xdd, 0x15, 0x50}}};

// The Next button, pressed on a thread of its own as the system does; first
// it notes whether the media key is still free for other programs.
DWORD WINAPI pressNextOnRequest(void *)
{
    const std::wstring request = std::wstring(_wgetenv(L"TUNELARK_OVERLAY_LOG")) + L".next";
    for (;;) {
        Sleep(50);
        if (!DeleteFileW(request.c_str()))
            continue;
        const bool free = RegisterHotKey(nullptr, 1, MOD_NOREPEAT, VK_MEDIA_NEXT_TRACK);
        if (free)
            UnregisterHotKey(nullptr, 1);
        record(free ? "media key free" : "media key taken");
        const std::lock_guard lock(g_handlerMutex);
        if (g_handler) // Invoke, slot 3 of the delegate
            reinterpret_cast<HRESULT(STDMETHODCALLTYPE *)(Object *, Object *, Object *)>(g_handler->vtable[3])(
                g_handler, &g_controls, &g_arguments);
    }
}

auto g_controlsTable = vtable<36>({
    slot(7, +[](Object *, int status) { return noteInt("PlaybackStatus", status); }),
    slot(8, +[](Object *, Object **out) { *out = &g_updater; return S_OK; }),
    slot(11, +[](Object *, boolean on) { return noteInt("IsEnabled", on); }),
    slot(13, +[](Object *, boolean on) { return noteInt("IsPlayEnabled", on); }),
    slot(15, +[](Object *, boolean on) { return noteInt("IsStopEnabled", on); }),
    slot(17, +[](Object *, boolean on) { return noteInt("IsPauseEnabled", on); }),
    slot(27, +[](Object *, boolean on) { return noteInt("IsNextEnabled", on); }),
    slot(32, +[](Object *, Handler *handler, INT64 *token) {
        record("add ButtonPressed");
        reinterpret_cast<ULONG(STDMETHODCALLTYPE *)(Object *)>(handler->vtable[1])(handler);
        *token = 7;
        const std::lock_guard lock(g_handlerMutex);
        g_handler = handler;
        if (_wgetenv(L"TUNELARK_OVERLAY_LOG"))
            CloseHandle(CreateThread(nullptr, 0, pressNextOnRequest, nullptr, 0, nullptr));
        return S_OK;
    }),
    slot(33, +[](Object *, INT64 token) {
        record("remove ButtonPressed " + std::to_string(token));
        const std::lock_guard lock(g_handlerMutex);
        if (Handler *handler = std::exchange(g_handler, nullptr))
            reinterpret_cast<ULONG(STDMETHODCALLTYPE *)(Object *)>(handler->vtable[2])(handler);
        return S_OK;
    }),
});
Object g_controls{g_controlsTable.data(), "SystemMediaTransportControls",
                  {0x99fa3ff4, 0x1742, 0x42a6, {0x90, 0x2e, 0x08, 0x7d, 0x41, 0xf9, 0x65, 0xec}}};

auto g_interopTable = vtable<7>({slot(6, +[](Object *, HWND window, REFIID iid, void **out) {
    record(IsWindow(window) ? "GetForWindow" : "GetForWindow without a window");
    return queryInterface(&g_controls, iid, out);
})});
Object g_interop{g_interopTable.data(), "SystemMediaTransportControlsInterop",
                 {0xddb0472d, 0xc911, 0x4a1f, {0x86, 0xd9, 0xdc, 0x3d, 0x71, 0xa9, 0x5f, 0x5a}}};

} // namespace

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE DllGetActivationFactory(HSTRING, void **factory)
{
    *factory = &g_interop;
    return S_OK;
}
