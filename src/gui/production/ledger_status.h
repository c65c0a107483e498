#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace kpx::gui {

// The whole series over all stations, as `kpx41 ledger status` shows it, read from the shared
// ledger every few seconds on a thread of its own, so that a slow server never holds the
// window up. Each reading comes as Read(text) on the receiver's thread.
class LedgerStatusWatch : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPeriodMs = 3000;

    // url carries the password it needs; it is never shown.
    explicit LedgerStatusWatch(std::string url, int periodMs = kPeriodMs);
    ~LedgerStatusWatch() override;  // waits for a reading under way

  signals:
    void Read(const QString& text);

  private:
    void Run();

    std::string url_;
    int periodMs_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace kpx::gui
