// The system's media overlay, which Debian's Wine lacks, as tests/e2e/e2e_win.sh registers it: each call
// is a line in the file TUNELARK_OVERLAY_LOG names (if any); "<that file>.next" presses Next, ".previous"
// Previous. The vtables are laid out here from the documentation, apart from the program's header, to catch
// a misplaced slot.
#include <windows.h>
#include <winstring.h>

#include <array>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>

namespace {

struct Object { void **vtable; const char *name; GUID iid; }; // one interface
std::recursive_mutex g_mutex; // the log and the program's handler
Object *g_handler = nullptr;  // the program's delegate, seen through its vtable
int g_button = 6;             // the button pressed last: Next 6, Previous 7

HRESULT record(const std::string &line)
{
    const std::lock_guard lock(g_mutex);
    const wchar_t *log = _wgetenv(L"TUNELARK_OVERLAY_LOG");
    if (FILE *file = log ? _wfopen(log, L"ab") : nullptr) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
    return S_OK;
}
std::string utf8(HSTRING text)
{
    UINT32 length = 0;
    const wchar_t *wide = WindowsGetStringRawBuffer(text, &length);
    std::string bytes(length * 3, '\0');
    return bytes.substr(0, WideCharToMultiByte(CP_UTF8, 0, wide, length, bytes.data(), bytes.size(), nullptr, nullptr));
}
template <typename... Arguments>
HRESULT callSlot(Object *object, int slot, Arguments... arguments)
{
    return reinterpret_cast<HRESULT(STDMETHODCALLTYPE *)(Object *, Arguments...)>(object->vtable[slot])(object,
                                                                                                       arguments...);
}

HRESULT STDMETHODCALLTYPE queryInterface(Object *self, REFIID iid, void **out)
{
    *out = iid == self->iid ? self : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE keep(Object *) { return 1; } // AddRef and Release: the objects live as long as the DLL
template <int Slot>
HRESULT STDMETHODCALLTYPE unexpected(Object *self)
{
    return record("unexpected slot " + std::to_string(Slot) + " of " + self->name);
}
// IUnknown's three slots, the given ones, and the rest unexpected.
template <std::size_t Size, typename... Functions>
std::array<void *, Size> vtable(std::pair<int, Functions>... slots)
{
    std::array<void *, Size> table{};
    [&]<std::size_t... Slot>(std::index_sequence<Slot...>) {
        ((table[Slot] = reinterpret_cast<void *>(&unexpected<Slot>)), ...);
    }(std::make_index_sequence<Size>{});
    table[0] = reinterpret_cast<void *>(&queryInterface);
    table[1] = table[2] = reinterpret_cast<void *>(&keep);
    ((table[slots.first] = reinterpret_cast<void *>(slots.second)), ...);
    return table;
}
using std::pair;
extern Object g_controls;

auto g_argumentsTable = vtable<7>(pair(6, +[](Object *, int *button) { *button = g_button; return S_OK; }));
Object g_arguments{g_argumentsTable.data(), "ButtonPressedEventArgs", {0xb7f47116, 0xa56f, 0x4dc8, {0x9e, 0x11, 0x92, 0x03, 0x1f, 0x4a, 0x87, 0xc2}}};
auto g_musicTable = vtable<12>(pair(7, +[](Object *, HSTRING v) { return record("Title " + utf8(v)); }),
                               pair(9, +[](Object *, HSTRING v) { return record("AlbumArtist " + utf8(v)); }),
                               pair(11, +[](Object *, HSTRING v) { return record("Artist " + utf8(v)); }));
Object g_music{g_musicTable.data(), "MusicDisplayProperties", {0x6bbf0c59, 0xd0a0, 0x4d26, {0x92, 0xa0, 0xf9, 0x78, 0xe1, 0xd1, 0x8e, 0x7b}}};
auto g_updaterTable = vtable<18>(pair(7, +[](Object *, int type) { return record("Type " + std::to_string(type)); }),
                                 pair(12, +[](Object *, Object **out) { *out = &g_music; return S_OK; }),
                                 pair(16, +[](Object *) { return record("ClearAll"); }),
                                 pair(17, +[](Object *) { return record("Update"); }));
Object g_updater{g_updaterTable.data(), "DisplayUpdater", {0x8abbc53e, 0xfa55, 0x4ecf, {0xad, 0x8e, 0xc9, 0x84, 0xe5, 0xdd, 0x15, 0x50}}};

// Next or Previous, pressed on a thread of its own as the system does; first
// it notes whether the media key is still free for other programs.
DWORD WINAPI pressOnRequest(void *)
{
    const std::wstring log = _wgetenv(L"TUNELARK_OVERLAY_LOG");
    for (;; Sleep(50)) {
        const bool next = DeleteFileW((log + L".next").c_str());
        if (!next && !DeleteFileW((log + L".previous").c_str())) continue;
        const bool free = RegisterHotKey(nullptr, 1, MOD_NOREPEAT, next ? VK_MEDIA_NEXT_TRACK : VK_MEDIA_PREV_TRACK);
        record(free && UnregisterHotKey(nullptr, 1) ? "media key free" : "media key taken");
        const std::lock_guard lock(g_mutex);
        g_button = next ? 6 : 7;
        if (g_handler) callSlot(g_handler, 3, &g_controls, &g_arguments); // Invoke
    }
}

auto g_controlsTable = vtable<36>(
    pair(7, +[](Object *, int status) { return record("PlaybackStatus " + std::to_string(status)); }),
    pair(8, +[](Object *, Object **out) { *out = &g_updater; return S_OK; }),
    pair(11, +[](Object *, boolean on) { return record("IsEnabled " + std::to_string(on)); }),
    pair(25, +[](Object *, boolean on) { return record("IsPreviousEnabled " + std::to_string(on)); }),
    pair(27, +[](Object *, boolean on) { return record("IsNextEnabled " + std::to_string(on)); }),
    pair(32, +[](Object *, Object *handler, INT64 *token) {
        const std::lock_guard lock(g_mutex);
        callSlot(g_handler = handler, 1); // AddRef
        *token = 7;
        if (_wgetenv(L"TUNELARK_OVERLAY_LOG")) CloseHandle(CreateThread(nullptr, 0, pressOnRequest, nullptr, 0, nullptr));
        return record("add ButtonPressed");
    }),
    pair(33, +[](Object *, INT64 token) {
        const std::lock_guard lock(g_mutex);
        if (Object *handler = std::exchange(g_handler, nullptr)) callSlot(handler, 2); // Release
        return record("remove ButtonPressed " + std::to_string(token));
    }));
Object g_controls{g_controlsTable.data(), "SystemMediaTransportControls", {0x99fa3ff4, 0x1742, 0x42a6, {0x90, 0x2e, 0x08, 0x7d, 0x41, 0xf9, 0x65, 0xec}}};

auto g_interopTable = vtable<7>(pair(6, +[](Object *, HWND window, REFIID iid, void **out) {
    record(IsWindow(window) ? "GetForWindow" : "GetForWindow without a window");
    return queryInterface(&g_controls, iid, out);
}));
Object g_interop{g_interopTable.data(), "SystemMediaTransportControlsInterop", {0xddb0472d, 0xc911, 0x4a1f, {0x86, 0xd9, 0xdc, 0x3d, 0x71, 0xa9, 0x5f, 0x5a}}};

} // namespace

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE DllGetActivationFactory(HSTRING, void **factory)
{
    *factory = &g_interop;
    return S_OK;
}
