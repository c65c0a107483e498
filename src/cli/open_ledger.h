#pragma once

// The ledger of a produce run is opened as the window's station opens it.
#include "platform/pg/open_ledger.h"

namespace kpx::cli {

using kpx::HostName;
using kpx::LedgerChoice;
using kpx::OpenLedger;

}  // namespace kpx::cli
