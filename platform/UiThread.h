#pragma once
// Hand-over points to the user-interface thread. Non-UI code (the dial notifier, the
// connected sequence, the status log's view) calls these; the class-library layer installs
// the real dispatcher when the application starts. Without one, calls run inline.
#include <functional>
#include <type_traits>
#include <utility>

class UiDispatcher {
public:
    virtual ~UiDispatcher() = default;
    virtual bool IsUiThread() = 0;
    // Runs `f` on the UI thread and returns when it has run.
    virtual void RunSync(const std::function<void()>& f) = 0;
    // Queues `f` to run on the UI thread after everything queued before it.
    virtual void Queue(std::function<void()> f) = 0;
};

void SetUiDispatcher(UiDispatcher* d);  // nullptr: run inline
bool IsUiThread();
void RunOnUiThread(const std::function<void()>& f);
void QueueOnUiThread(std::function<void()> f);

// Runs `f` on the UI thread and returns its result.
template <typename F>
auto CallOnUiThread(F&& f) -> decltype(f()) {
    if constexpr (std::is_void_v<decltype(f())>) {
        RunOnUiThread(std::forward<F>(f));
    } else {
        decltype(f()) result{};
        RunOnUiThread([&] { result = f(); });
        return result;
    }
}
