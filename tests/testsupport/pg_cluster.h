#pragma once

#include <string>
#include <vector>

namespace kpx::testing {

// A throw-away PostgreSQL server of its own: a fresh cluster in a temporary folder, reached
// only on a Unix socket there, run as the postgres user when the tests run as root. It is
// stopped and removed with the object, also when a test fails.
class PgCluster {
  public:
    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // False, with the reason in error(), when the server could not be started.
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    // postgresql://USER[:PASSWORD]@/DB?host=SOCKETDIR&port=PORT
    std::string Url(const std::string& db = "postgres", const std::string& password = "") const;
    const std::string& socketDir() const { return dir_; }
    int port() const { return port_; }

    bool CreateDatabase(const std::string& name);
    // What psql prints for `sql` in database `db`, unaligned, one row a line.
    std::string Sql(const std::string& db, const std::string& sql);

    // Stop the server (fast: sessions are ended) and start it again on the same data.
    bool Stop();
    bool Start();

  private:
    // Runs a command line as the cluster's owner; its exit status, its output in *output.
    int Run(const std::vector<std::string>& argv, std::string* output = nullptr);
    std::string Template(std::string* output);

    std::string dir_;
    int port_ = 0;
    bool ok_ = false;
    bool running_ = false;
    std::string error_;
};

}  // namespace kpx::testing
