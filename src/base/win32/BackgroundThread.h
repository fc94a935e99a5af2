#pragma once
// One thread for the bar's work away from the user-interface thread: the
// buttons' pictures, which targets are folders, a folder menu's pictures.
// Under Wine every thread costs about a megabyte of working set, and an
// ended one keeps it, so the kinds of work share this one.
//
// Each kind comes as a step that does one piece of work, if it has one,
// and answers whether it did. The thread takes the steps in turn, so no
// kind waits for all of another's. It starts with the first poke, runs at
// below normal priority in a single-threaded apartment (shell calls want
// one), and never asks the user about a drive without its disk.
#include <functional>
#include <memory>

namespace lark::win {

class BackgroundThread {
public:
    using Step = std::function<bool()>;

    BackgroundThread();
    // Tells the thread to end after the step under way, without waiting:
    // a step held up by a slow disk ends on its own.
    ~BackgroundThread();
    BackgroundThread(const BackgroundThread&) = delete;
    BackgroundThread& operator=(const BackgroundThread&) = delete;

    // A kind of work; its step runs on the thread only, and must hold what
    // it needs (it may run once more after Remove).
    int Add(Step step);
    void Remove(int id);
    // There is work: every step is asked again.
    void Poke();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace lark::win
