// The message queue: one thread-safe FIFO for the process. Any thread may
// post; the UI thread takes messages out, and PeekMessageW first moves
// pending SDL events into the queue.
//
// As on Windows, WM_QUIT is not queued: PostQuitMessage raises a flag that
// PeekMessageW reports once every other message has been taken, and WM_PAINT
// is made for an invalid window only when nothing else is waiting.
#include "platform/kernel32.h"
#include "platform/kernel32/kernel_objects.h"
#include "platform/user32/state.h"
#include "platform/winmm.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>

namespace platform {

struct QueuedMessage {
    MSG msg;
    KeyContext key;
    uint64_t serial;
};

namespace {

struct Queue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<QueuedMessage> messages;
    bool quit = false;
    int quitCode = 0;
    uint64_t nextSerial = 1;
    // The last key-down made from input, while typed text may still join it.
    uint64_t pendingKeyDown = 0;
    // The UI thread sleeps in SDL's event wait: a poster must wake it.
    bool uiWaiting = false;
};

Queue& TheQueue()
{
    static Queue* queue = new Queue;
    return *queue;
}

bool IsKeyMessage(UINT m)
{
    return m >= WM_KEYDOWN && m <= WM_SYSCHAR;
}
bool IsKeyDown(UINT m)
{
    return m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
}

void PushLocked(Queue& q, const MSG& msg, const KeyContext& key)
{
    QueuedMessage entry{msg, key, q.nextSerial++};
    if (entry.msg.time == 0) entry.msg.time = timeGetTime();
    q.messages.push_back(entry);
}

bool Matches(const MSG& msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (hwnd != nullptr && msg.hwnd != hwnd) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

// The key message PeekMessageW handed out last on this thread, with what
// TranslateMessage needs to know about it.
thread_local QueuedMessage t_lastKey{};

// The SDL event that only wakes the UI thread; 0 when SDL has none to give.
Uint32 WakeEventType()
{
    static const Uint32 type = [] {
        const Uint32 t = SDL_RegisterEvents(1);
        return t == static_cast<Uint32>(-1) ? 0u : t;
    }();
    return type;
}

// Called with the flag taken under the queue's lock.
void WakeUi(bool wasWaiting)
{
    if (!wasWaiting || WakeEventType() == 0) return;
    SDL_Event event{};
    event.type = WakeEventType();
    SDL_PushEvent(&event);
}

bool TakeUiWaiting(Queue& q)
{
    const bool waiting = q.uiWaiting;
    q.uiWaiting = false;
    return waiting;
}

// MsgWaitForMultipleObjects on the UI thread with no objects: asleep in
// SDL's own wait (on the display connection), woken by input, by a window
// event or by a message another thread posts.
DWORD WaitOnUiThread(const Deadline& deadline, DWORD wakeMask)
{
    WakeEventType(); // registered before any poster needs it
    Queue& q = TheQueue();
    for (;;) {
        // A window event may change what the next pass finds (the pointer
        // gone from the window) without a message: it ends the wait too.
        if (PumpSdlEvents() && wakeMask != 0) return WAIT_OBJECT_0;
        if ((wakeMask & QS_PAINT) != 0) {
            std::lock_guard<std::mutex> lock(WindowMutex());
            if (AnyWindowNeedsPaintLocked(nullptr, nullptr)) return WAIT_OBJECT_0;
        }
        int timeout = -1;
        // Driven time does not pass while this thread waits: it looks once.
        const bool atOnce = !deadline.infinite && clock::WaitsEndAtOnce();
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            if (wakeMask != 0 && (!q.messages.empty() || q.quit)) return WAIT_OBJECT_0;
            if (!deadline.infinite) {
                const int64_t left = deadline.at - clock::Now();
                if (left <= 0) return WAIT_TIMEOUT;
                const int64_t ms = atOnce ? 0 : (left + 999999) / 1000000;
                timeout = static_cast<int>(std::min<int64_t>(ms, 0x7FFFFFFF));
            }
            q.uiWaiting = true;
        }
        SDL_Event event;
        const int got = SDL_WaitEventTimeout(&event, timeout);
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            q.uiWaiting = false;
        }
        if (got == 1 && event.type != WakeEventType()) {
            TranslateSdlEvent(event);
            if (event.type == SDL_WINDOWEVENT && wakeMask != 0) return WAIT_OBJECT_0;
        }
        if (got != 1 && atOnce) return WAIT_TIMEOUT;
    }
}

} // namespace

void EnqueueMessage(const MSG& msg)
{
    Queue& q = TheQueue();
    bool wake;
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        PushLocked(q, msg, KeyContext{});
        wake = TakeUiWaiting(q);
    }
    q.posted.notify_all();
    clock::Poke();
    WakeUi(wake);
}

void EnqueueInput(const std::vector<InputMessage>& messages)
{
    if (messages.empty()) return;
    Queue& q = TheQueue();
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        for (const InputMessage& m : messages) {
            if (m.msg.hwnd == nullptr) continue; // no window to take it
            if (m.typedText) {
                // The text a key typed joins its key-down, while that is still queued.
                QueuedMessage* keyDown = nullptr;
                for (auto it = q.messages.rbegin();
                     it != q.messages.rend() && q.pendingKeyDown != 0; ++it) {
                    if (it->serial == q.pendingKeyDown) {
                        keyDown = &*it;
                        break;
                    }
                }
                if (keyDown != nullptr) {
                    keyDown->key.text += m.key.text;
                    continue;
                }
                // Text without a key (an input method, or its key already taken).
                for (wchar_t c : m.key.text) {
                    MSG ch = m.msg;
                    ch.message = WM_CHAR;
                    ch.wParam = static_cast<WPARAM>(c);
                    ch.lParam = 1;
                    PushLocked(q, ch, KeyContext{});
                }
                continue;
            }
            PushLocked(q, m.msg, m.key);
            if (IsKeyDown(m.msg.message))
                q.pendingKeyDown = q.messages.back().serial;
            else if (IsKeyMessage(m.msg.message))
                q.pendingKeyDown = 0;
        }
    }
    q.posted.notify_all();
    clock::Poke();
}

void RemoveMessagesFor(HWND hwnd)
{
    Queue& q = TheQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    for (auto it = q.messages.begin(); it != q.messages.end();) {
        if (it->msg.hwnd == hwnd)
            it = q.messages.erase(it);
        else
            ++it;
    }
}

// Puts the characters TranslateMessage made in front of everything else, so
// they come right after their key message.
void PushFrontCharacters(const MSG& key, UINT message, const std::wstring& chars)
{
    Queue& q = TheQueue();
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        for (auto it = chars.rbegin(); it != chars.rend(); ++it) {
            MSG ch = key;
            ch.message = message;
            ch.wParam = static_cast<WPARAM>(*it);
            q.messages.push_front(QueuedMessage{ch, KeyContext{}, q.nextSerial++});
        }
    }
    q.posted.notify_all();
    clock::Poke();
}

bool LastKeyContext(const MSG& msg, KeyContext* key)
{
    const MSG& last = t_lastKey.msg;
    if (t_lastKey.serial == 0 || last.hwnd != msg.hwnd || last.message != msg.message ||
        last.wParam != msg.wParam || last.lParam != msg.lParam || last.time != msg.time)
        return false;
    *key = t_lastKey.key;
    return true;
}

} // namespace platform

using namespace platform;

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hwnd != nullptr && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    GetCursorPos(&msg.pt);
    EnqueueMessage(msg);
    return TRUE;
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        WindowRecord* w = FindWindowLocked(hwnd);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        proc = w->proc;
    }
    return proc(hwnd, message, wParam, lParam);
}

void PostQuitMessage(int exitCode)
{
    Queue& q = TheQueue();
    bool wake;
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        q.quit = true;
        q.quitCode = exitCode;
        wake = TakeUiWaiting(q);
    }
    q.posted.notify_all();
    clock::Poke();
    WakeUi(wake);
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const bool remove = (removeMsg & PM_REMOVE) != 0;
    Queue& q = TheQueue();
    const auto takeQueued = [&] {
        std::lock_guard<std::mutex> lock(q.mutex);
        for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
            if (!Matches(it->msg, hwnd, filterMin, filterMax)) continue;
            *msg = it->msg;
            if (IsKeyMessage(msg->message)) t_lastKey = *it;
            if (it->serial == q.pendingKeyDown && remove) q.pendingKeyDown = 0;
            if (remove) q.messages.erase(it);
            return true;
        }
        return false;
    };
    // What SDL holds is newer than anything queued: it is pumped in only
    // once the queue has nothing to give, so a loop that drains the queue
    // asks the display once, not once a message.
    if (takeQueued()) return TRUE;
    if (IsUiThread()) {
        PumpSdlEvents();
        if (takeQueued()) return TRUE;
    }
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        if (q.quit && hwnd == nullptr &&
            Matches(MSG{nullptr, WM_QUIT, 0, 0, 0, {}}, nullptr, filterMin, filterMax)) {
            *msg = MSG{};
            msg->message = WM_QUIT;
            msg->wParam = static_cast<WPARAM>(q.quitCode);
            msg->time = timeGetTime();
            if (remove) q.quit = false;
            return TRUE;
        }
    }
    if (Matches(MSG{nullptr, WM_PAINT, 0, 0, 0, {}}, nullptr, filterMin, filterMax)) {
        HWND which = nullptr;
        std::lock_guard<std::mutex> lock(WindowMutex());
        if (AnyWindowNeedsPaintLocked(hwnd, &which)) {
            // Stays due until the window procedure validates the window.
            *msg = MSG{};
            msg->hwnd = which;
            msg->message = WM_PAINT;
            msg->time = timeGetTime();
            return TRUE;
        }
    }
    return FALSE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask)
{
    if ((count > 0 && handles == nullptr) || (count > 0 && waitAll)) {
        // Waiting for all of several objects and input at once is not offered.
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<KernelObject>> objects;
    for (DWORD i = 0; i < count; ++i) {
        auto object = LookupHandle(handles[i]);
        if (!object || object->GetKind() == KernelObject::Kind::Find) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    const Deadline deadline(milliseconds);
    const bool ui = IsUiThread();
    if (ui && count == 0) return WaitOnUiThread(deadline, wakeMask);
    // SDL has no way to wake us, and objects none to signal us: look again
    // every millisecond while either matters.
    const bool poll = ui || count > 0;
    Queue& q = TheQueue();
    for (;;) {
        for (DWORD i = 0; i < count; ++i)
            if (objects[i]->Wait(Deadline(0))) return WAIT_OBJECT_0 + i;
        if (ui) PumpSdlEvents();
        if ((wakeMask & QS_PAINT) != 0) {
            std::lock_guard<std::mutex> lock(WindowMutex());
            if (AnyWindowNeedsPaintLocked(nullptr, nullptr)) return WAIT_OBJECT_0 + count;
        }
        std::unique_lock<std::mutex> lock(q.mutex);
        if (wakeMask != 0 && (!q.messages.empty() || q.quit)) return WAIT_OBJECT_0 + count;
        const int64_t now = clock::Now();
        if (now >= deadline.at) return WAIT_TIMEOUT;
        if (!deadline.infinite && clock::WaitsEndAtOnce()) return WAIT_TIMEOUT;
        // Signalled objects and posted messages poke a driven clock, so
        // only real time needs polling.
        const bool driven = clock::Driven();
        const int64_t until = poll && !driven ? std::min<int64_t>(deadline.at, now + 1000000)
                                              : deadline.at;
        DWORD signalled = count;
        clock::WaitUntil(lock, q.posted, until, [&] {
            if (wakeMask != 0 && (!q.messages.empty() || q.quit)) return true;
            for (DWORD i = 0; driven && i < count; ++i)
                if (objects[i]->Wait(Deadline(0))) {
                    signalled = i;
                    return true;
                }
            return false;
        });
        if (signalled < count) return WAIT_OBJECT_0 + signalled;
    }
}

UINT RegisterWindowMessageW(LPCWSTR name)
{
    if (name == nullptr || name[0] == L'\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    static std::mutex* mutex = new std::mutex;
    static auto* numbers = new std::map<std::wstring, UINT>;
    static UINT next = 0xC000;
    // Names compare without regard to case (ASCII letters), as on Windows.
    std::wstring key(name);
    for (wchar_t& c : key)
        if (c >= L'A' && c <= L'Z') c = c - L'A' + L'a';
    std::lock_guard<std::mutex> lock(*mutex);
    auto it = numbers->find(key);
    if (it != numbers->end()) return it->second;
    if (next > 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    numbers->emplace(key, next);
    return next++;
}
