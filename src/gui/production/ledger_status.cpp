#include "gui/production/ledger_status.h"

#include <chrono>
#include <memory>

#include "platform/pg/pg_ledger.h"
#include "production/ledger_report.h"

namespace kpx::gui {

LedgerStatusWatch::LedgerStatusWatch(std::string url, int periodMs)
    : url_(std::move(url)), periodMs_(periodMs), thread_([this] { Run(); }) {}

LedgerStatusWatch::~LedgerStatusWatch() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void LedgerStatusWatch::Run() {
    std::unique_ptr<PgLedger> ledger;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        std::string error;
        if (!ledger) ledger = PgLedger::Open(url_, &error);
        std::vector<LedgerSeries> series;
        QString text;
        if (ledger && ledger->Status(&series, &error)) {
            text = QString::fromStdString(FormatLedgerStatus(series));
        } else {
            ledger.reset();  // a connection that failed is opened afresh next time
            text = "the ledger's status cannot be read: " + QString::fromStdString(error);
        }
        emit Read(text);
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(periodMs_), [this] { return stopping_; });
    }
}

}  // namespace kpx::gui
