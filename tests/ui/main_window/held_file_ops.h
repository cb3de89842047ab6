// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file system for tests of long work: the real one, with the work held at
// one read of a file while the test looks at the window.

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "engine/files/forwarding_file_ops.h"

namespace quarnix::testing {

// The real file system, with the work held at its HoldAt-th read of a file
// (a copy_file_range or a pread), or at its HoldAtWrite-th pwrite, until
// Release. Reads on the user-interface thread, where the look at the content
// judges while the work waits for its answer, are neither counted nor held.
class HeldFileOps : public ForwardingFileOps {
  public:
    HeldFileOps() : ForwardingFileOps(SystemFileOps()) {}
    ~HeldFileOps() override { Release(); }

    int HoldAt = 1;                  // 0: no read is held
    int HoldAtWrite = 0;             // the same for the n-th pwrite; 0: none is held
    std::function<void()> WhenHeld;  // runs on the user-interface thread once held

    void Release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        wake_.notify_all();
    }

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override {
        const bool read = (call.op == FileOp::Pread || call.op == FileOp::CopyRange) &&
                          QThread::currentThread() != QCoreApplication::instance()->thread();
        if ((read && ++reads_ == HoldAt) ||
            (call.op == FileOp::Pwrite && ++writes_ == HoldAtWrite)) {
            Hold();
        }
        return forward();
    }

  private:
    void Hold() {
        if (WhenHeld) {
            QMetaObject::invokeMethod(QCoreApplication::instance(), WhenHeld, Qt::QueuedConnection);
        }
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return released_; });
    }

    std::atomic<int> reads_{0};
    std::atomic<int> writes_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool released_ = false;
};

}  // namespace quarnix::testing
