#include "gui/production/station_settings.h"

#include <cstdio>

#include "production/ledger_report.h"
#include "support/memory_registry.h"
#include "support/registry_access.h"

namespace kpx::gui {

SeriesChoice StationSettings::Load() const {
    MemoryRegistry hive;
    RegistryAccess registry(hive);
    SeriesChoice c;
    if (file_.empty() || !registry.ImportFromReg(file_)) return c;
    auto text = [&](const char* name, const std::string& fallback) {
        return registry.ReadString(kKey, name, fallback);
    };
    auto flag = [&](const char* name, bool fallback) {
        return registry.ReadDWORD(kKey, name, fallback ? 1 : 0) != 0;
    };
    c.autoIncrease = ParseAutoIncrease(text("AutoIncrease", "1")).value_or(c.autoIncrease);
    const std::uint32_t count = registry.ReadDWORD(kKey, "Count", 0);
    c.count = count <= 9999999 ? static_cast<int>(count) : 0;
    c.useLedger = flag("UseLedger", false);
    c.log = text("Log", "");
    // A file edited by hand may carry a password: it is dropped, never shown.
    c.url = SplitLedgerPassword(text("Ledger", "")).url;
    c.series = text("Series", "");
    c.station = text("Station", "");
    c.resume = flag("Resume", false);
    c.swapDetection = flag("SwapDetection", true);
    return c;
}

bool StationSettings::Save(const SeriesChoice& c) const {
    if (file_.empty()) return false;
    MemoryRegistry hive;
    RegistryAccess registry(hive);
    // Values are one line each in a REGEDIT4 file.
    auto line = [](std::string s) {
        for (char& ch : s) {
            if (ch == '\r' || ch == '\n') ch = ' ';
        }
        return s;
    };
    registry.WriteString(kKey, "AutoIncrease", AutoIncreaseText(c.autoIncrease));
    registry.WriteDWORD(kKey, "Count", static_cast<std::uint32_t>(c.count));
    registry.WriteDWORD(kKey, "UseLedger", c.useLedger);
    registry.WriteString(kKey, "Log", line(c.log));
    registry.WriteString(kKey, "Ledger", line(SplitLedgerPassword(c.url).url));
    registry.WriteString(kKey, "Series", line(c.series));
    registry.WriteString(kKey, "Station", line(c.station));
    registry.WriteDWORD(kKey, "Resume", c.resume);
    registry.WriteDWORD(kKey, "SwapDetection", c.swapDetection);
    // Written beside the file and renamed over it, so a failed write keeps the old choices.
    const std::string next = file_ + ".new";
    std::remove(next.c_str());
    if (!registry.ExportToReg(kKey, next, true) || std::rename(next.c_str(), file_.c_str()) != 0) {
        std::remove(next.c_str());
        return false;
    }
    return true;
}

}  // namespace kpx::gui
