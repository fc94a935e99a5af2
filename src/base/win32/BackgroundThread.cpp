#include "base/win32/BackgroundThread.h"

#include <windows.h>
#include <objbase.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "base/RuntimeError.h"
#include "base/win32/CrashStack.h"

namespace lark::win {

struct BackgroundThread::Shared {
    std::mutex lock;
    std::condition_variable wake;
    std::vector<std::pair<int, std::shared_ptr<Step>>> steps;
    int lastId = 0;
    bool poked = false;
    bool started = false;
    bool stop = false;

    void Run();
};

void BackgroundThread::Shared::Run() {
    KeepStackForCrash();
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, nullptr);
    // The work may wait; the user's clicks and the bar's paints may not.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    std::unique_lock<std::mutex> held(lock);
    for (;;) {
        wake.wait(held, [&] { return stop || poked; });
        if (stop) break;
        // A poke that comes while the steps run asks them all again.
        poked = false;
        std::vector<std::shared_ptr<Step>> turn;
        for (const auto& [id, step] : steps) turn.push_back(step);
        held.unlock();
        bool worked = false;
        for (const std::shared_ptr<Step>& step : turn) {
            bool did = false;
            Guard([&] { did = (*step)(); });
            worked = worked || did;
        }
        held.lock();
        if (worked) poked = true;
    }
    held.unlock();
    if (SUCCEEDED(com)) CoUninitialize();
}

BackgroundThread::BackgroundThread() : shared_(std::make_shared<Shared>()) {}

BackgroundThread::~BackgroundThread() {
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->stop = true;
    shared_->steps.clear();
    shared_->wake.notify_all();
}

int BackgroundThread::Add(Step step) {
    std::lock_guard<std::mutex> held(shared_->lock);
    shared_->steps.emplace_back(++shared_->lastId, std::make_shared<Step>(std::move(step)));
    return shared_->lastId;
}

void BackgroundThread::Remove(int id) {
    std::lock_guard<std::mutex> held(shared_->lock);
    std::erase_if(shared_->steps, [id](const auto& step) { return step.first == id; });
}

void BackgroundThread::Poke() {
    std::lock_guard<std::mutex> held(shared_->lock);
    if (shared_->stop) return;
    shared_->poked = true;
    if (!shared_->started) {
        // Owned jointly: the thread may outlive this object.
        std::thread([shared = shared_] { shared->Run(); }).detach();
        shared_->started = true;
    }
    shared_->wake.notify_all();
}

}  // namespace lark::win
