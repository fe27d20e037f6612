#include "UiPump.h"

#include "platform/SysUtils.h"

#include <exception>

UiPump& UiPump::Instance() {
    static UiPump* pump = new UiPump;  // never freed: threads may outlive main
    return *pump;
}

void UiPump::Start() {
    {
        std::lock_guard lock(mutex_);
        uiThread_ = std::this_thread::get_id();
        active_.store(true);
    }
    SetUiDispatcher(this);
    Application->SetBackend(this);
}

void UiPump::Stop() {
    drain();
    Application->SetBackend(nullptr);
    {
        std::lock_guard lock(mutex_);
        active_.store(false);
    }
    SetUiDispatcher(nullptr);
    drain();  // whatever slipped in between
}

void UiPump::Reset() {
    minimised_.store(false);
    Application->OnRestore = nullptr;
}

bool UiPump::IsUiThread() { return !active_.load() || std::this_thread::get_id() == uiThread_; }

void UiPump::push(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    if (!active_.load()) {
        lock.unlock();
        task();
        return;
    }
    queue_.push_back(std::move(task));
    arrived_.notify_all();
}

bool UiPump::drain() {
    bool ran = false;
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return ran;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task();
        ran = true;
    }
}

void UiPump::Queue(std::function<void()> f) {
    push([f = std::move(f)] { RunHandler(f); });
}

void UiPump::RunSync(const std::function<void()>& f) {
    if (IsUiThread()) {
        f();
        return;
    }
    struct Call {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        std::exception_ptr error;
    };
    auto call = std::make_shared<Call>();
    push([call, &f] {
        try {
            f();
        } catch (...) {
            call->error = std::current_exception();
        }
        std::lock_guard lock(call->m);
        call->done = true;
        call->cv.notify_all();
    });
    std::exception_ptr error;
    {
        std::unique_lock lock(call->m);
        call->cv.wait(lock, [&] { return call->done; });
        error = std::move(call->error);
    }
    if (error) std::rethrow_exception(error);
}

void UiPump::ProcessMessages() {
    if (IsUiThread()) drain();
}

void UiPump::HandleMessage() {
    if (!IsUiThread()) return;
    {
        std::unique_lock lock(mutex_);
        arrived_.wait(lock, [this] { return woken_ || !queue_.empty(); });
        woken_ = false;
    }
    drain();
}

void UiPump::Minimize() { minimised_.store(true); }

void UiPump::Restore() {
    if (!minimised_.exchange(false)) return;
    RunOnUiThread([] {
        if (TNotifyEvent h = Application->OnRestore) RunHandler([&] { h(Application); });
    });
}

void UiPump::Terminate() {
    std::lock_guard lock(mutex_);
    woken_ = true;
    arrived_.notify_all();
}

void UiPump::Run() {
    while (!Application->Terminated()) HandleMessage();
}

void UiPump::AdoptForm(TForm*) { throw Exception("Forms need the class library; the test pump has none"); }
