#include "production/ledger_report.h"

#include <cstdio>

namespace kpx {

std::string AutoIncreaseText(AutoIncrease a) {
    if (a.first && a.second) return "1,2";
    return a.first ? "1" : "2";
}

std::string DefaultSeriesName(const CapcodePair& fromFile, AutoIncrease a) {
    return CapcodeDigits(fromFile[0]) + " " + CapcodeDigits(fromFile[1]) + " auto " +
           AutoIncreaseText(a);
}

std::string FormatLedgerRow(const LedgerRow& r) {
    return FormatLogRow(r.row) + "," + CsvField(r.station) + "," + CsvField(r.series);
}

namespace {

const char* StateText(LedgerHandout::State s) {
    switch (s) {
        case LedgerHandout::State::UnderWay:
            return "under way";
        case LedgerHandout::State::Unknown:
            return "unknown";
        case LedgerHandout::State::Returned:
            return "to retry";
    }
    return "";
}

std::string Pair(const CapcodePair& c) {
    return CapcodeDigits(c[0]) + " " + CapcodeDigits(c[1]);
}

}  // namespace

std::string FormatLedgerStatus(const std::vector<LedgerSeries>& all) {
    if (all.empty()) return "no series in the ledger\n";
    std::string text;
    for (const LedgerSeries& s : all) {
        int unknown = 0;
        for (const LedgerHandout& h : s.handouts)
            unknown += h.state == LedgerHandout::State::Unknown;
        text += "series \"" + s.name + "\" (auto " + AutoIncreaseText(s.autoIncrease) + "): next " +
                Pair(s.next) + ", ok " + std::to_string(s.ok) + ", failed " +
                std::to_string(s.failed) + ", unknown " + std::to_string(unknown) + "\n";
        for (const LedgerHandout& h : s.handouts) {
            text += "  " + std::string(StateText(h.state)) + ": capcodes " + Pair(h.capcodes) +
                    ", station " + h.station + ", port " + h.port + ", handed out " + h.taken +
                    "\n";
        }
        for (const StationToday& t : s.today) {
            char rate[32] = "-";
            if (t.hours > 0) std::snprintf(rate, sizeof rate, "%.1f", t.pagers / t.hours);
            text += "  station " + t.station + " today: " + std::to_string(t.pagers) + " pagers, " +
                    rate + " pagers per hour\n";
        }
    }
    return text;
}

}  // namespace kpx
