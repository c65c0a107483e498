#include "testsupport/pg_cluster.h"

#include <pwd.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>

namespace kpx::testing {

namespace {

namespace fs = std::filesystem;

// The folder of the newest server version installed: Debian keeps each major version in one
// of its own (15 on Debian 12, 17 on Debian 13).
const fs::path& ServerDir() {
    static const fs::path dir = [] {
        int best = -1;
        fs::path found;
        std::error_code ec;
        for (const fs::directory_entry& e : fs::directory_iterator("/usr/lib/postgresql", ec)) {
            const std::string name = e.path().filename().string();
            if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
            const int version = std::stoi(name);
            if (version > best && fs::exists(e.path() / "bin" / "initdb")) {
                best = version;
                found = e.path();
            }
        }
        return found;
    }();
    return dir;
}

std::string Bin() {
    return (ServerDir() / "bin").string() + "/";
}

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

bool AsRoot() {
    return geteuid() == 0;
}

}  // namespace

int PgCluster::Run(const std::vector<std::string>& argv, std::string* output) {
    std::string line;
    if (AsRoot()) line = "runuser -u postgres -- ";
    for (const std::string& a : argv) line += Quoted(a) + " ";
    line += "2>&1 </dev/null";
    std::fflush(nullptr);
    FILE* p = popen(line.c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) text.append(buffer, n);
    const int status = pclose(p);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

PgCluster::PgCluster() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
        const fs::path p = fs::temp_directory_path() / ("kpx41-pg-" + std::to_string(rd()));
        if (fs::create_directory(p)) dir_ = p.string();
    }
    if (dir_.empty()) {
        error_ = "cannot create a folder for the cluster";
        return;
    }
    // The server refuses to run as root: the folder belongs to the postgres user then.
    if (AsRoot()) {
        const passwd* pw = getpwnam("postgres");
        if (!pw || chown(dir_.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
            error_ = "no postgres user to run the server as";
            return;
        }
    }
    fs::permissions(dir_, fs::perms::owner_all);
    if (ServerDir().empty()) {
        error_ = "no PostgreSQL server under /usr/lib/postgresql (./kpx test installs one)";
        return;
    }
    // The socket is in the folder, so the port only names it; one of its own all the same.
    port_ = 20000 + static_cast<int>(rd() % 20000);
    std::string out;
    const std::string tmpl = Template(&out);
    if (tmpl.empty()) {
        error_ = "initdb failed: " + out;
        return;
    }
    if (Run({"cp", "-a", tmpl, dir_ + "/data"}, &out) != 0) {
        error_ = "cannot copy the cluster template: " + out;
        return;
    }
    ok_ = Start();
}

// A fresh cluster is a copy of one initdb made once per machine: initdb takes seconds, a copy
// a fraction of one. The template is made aside and renamed into place whole.
std::string PgCluster::Template(std::string* out) {
    const fs::path done =
        fs::temp_directory_path() /
        ("kpx41-pg-template-" + ServerDir().filename().string() + "-" + std::to_string(geteuid()));
    if (fs::exists(done / "data" / "PG_VERSION")) return (done / "data").string();
    const fs::path making = done.string() + "." + std::to_string(getpid());
    std::error_code ec;
    fs::remove_all(making, ec);
    if (!fs::create_directory(making, ec)) return "";
    if (AsRoot()) {
        const passwd* pw = getpwnam("postgres");
        if (!pw || chown(making.c_str(), pw->pw_uid, pw->pw_gid) != 0) return "";
    }
    if (Run({Bin() + "initdb", "-D", (making / "data").string(), "-A", "trust", "-U", "postgres",
             "--no-sync", "-E", "UTF8", "--locale=C"},
            out) != 0) {
        fs::remove_all(making, ec);
        return "";
    }
    fs::rename(making, done, ec);
    // Another test made it first: theirs is as good.
    if (ec) fs::remove_all(making, ec);
    return (done / "data").string();
}

PgCluster::~PgCluster() {
    if (running_) Run({Bin() + "pg_ctl", "-D", dir_ + "/data", "-m", "immediate", "-w", "stop"});
    if (!dir_.empty()) {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
}

bool PgCluster::Start() {
    std::string out;
    const std::string options =
        "-k " + dir_ + " -p " + std::to_string(port_) + " -c listen_addresses=''";
    if (Run({Bin() + "pg_ctl", "-D", dir_ + "/data", "-o", options, "-l", dir_ + "/server.log",
             "-w", "-t", "60", "start"},
            &out) != 0) {
        error_ = "pg_ctl start failed: " + out;
        return false;
    }
    running_ = true;
    return true;
}

bool PgCluster::Stop() {
    std::string out;
    if (Run({Bin() + "pg_ctl", "-D", dir_ + "/data", "-m", "fast", "-w", "-t", "60", "stop"},
            &out) != 0) {
        error_ = "pg_ctl stop failed: " + out;
        return false;
    }
    running_ = false;
    return true;
}

std::string PgCluster::Url(const std::string& db, const std::string& password) const {
    return "postgresql://postgres" + (password.empty() ? "" : ":" + password) + "@/" + db +
           "?host=" + dir_ + "&port=" + std::to_string(port_);
}

bool PgCluster::CreateDatabase(const std::string& name) {
    return Run({Bin() + "createdb", "-h", dir_, "-p", std::to_string(port_), "-U", "postgres",
                name}) == 0;
}

std::string PgCluster::Sql(const std::string& db, const std::string& sql) {
    std::string out;
    Run({Bin() + "psql", "-h", dir_, "-p", std::to_string(port_), "-U", "postgres", "-d", db, "-At",
         "-c", sql},
        &out);
    return out;
}

}  // namespace kpx::testing
