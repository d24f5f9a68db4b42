// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The database failing under an open report: a PostgreSQL server of the test's own stopped or
// restarted between a fetch, a navigation, a drill-down or the close-time width save and the next, a
// SQLite file another connection holds locked, and a read-only SQLite database for the width save.
#include "ReliabilityFixture.h"
#include "support/RaisedError.h"
#include "support/Shell.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using QV_GridPrint::frmGridPrint;
using vondrel::test::Backend;
using vondrel::test::HasChineseWords;

// A server only these tests use, so stopping it disturbs nobody else's.
class PrivateServer {
public:
    static bool Start() {
        s_dir = std::filesystem::temp_directory_path() / ("vondrel-fault-pg-" + std::to_string(::getpid()));
        const std::string command =
            std::string(VONDREL_SOURCE_DIR) + "/tests/support/pg-server.sh start " + s_dir.string() + " 2>&1";
        bool ok = false;
        const std::string out = vondrel::test::RunCommand(command, &ok);
        if (ok && out.rfind("host=", 0) == 0) {
            s_conninfo = out.substr(0, out.find('\n'));
            return true;
        }
        s_failure = out;
        return false;
    }
    static void Remove() {
        if (!s_dir.empty()) {
            Run(std::string(VONDREL_SOURCE_DIR) + "/tests/support/pg-server.sh stop " + s_dir.string());
        }
    }
    static bool Stop() { return Run(PgCtl() + " stop -m fast -w -t 60 -D " + (s_dir / "data").string()); }
    static bool Restart() {
        return Run(PgCtl() + " start -w -t 60 -D " + (s_dir / "data").string() + " -l " +
                   (s_dir / "server.log").string());
    }
    static const std::string& Conninfo() { return s_conninfo; }
    static const std::string& Failure() { return s_failure; }

private:
    static bool Run(const std::string& command) {
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    }
    // The newest installed server's pg_ctl, run as the user pg-server.sh made the server for.
    static std::string PgCtl() {
        std::string best;
        for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql")) {
            const std::filesystem::path candidate = entry.path() / "bin" / "pg_ctl";
            if (std::filesystem::exists(candidate) &&
                (best.empty() ||
                 std::stoi(entry.path().filename().string()) >
                     std::stoi(
                         std::filesystem::path(best).parent_path().parent_path().filename().string()))) {
                best = candidate.string();
            }
        }
        return (::geteuid() == 0 ? "cd / && runuser -u vondrel-pg -- " : "") + best;
    }
    static inline std::filesystem::path s_dir;
    static inline std::string s_conninfo;
    static inline std::string s_failure;
};

enum class Step { Fetch, Navigate, DrillDown };

struct Fault {
    const char* name;
    int report;
    Step step;
    const char* captionAfter; // the window's caption once the step worked
};

const Fault kFaults[] = {
    {"Fetch", 1, Step::Fetch, "销售汇总"},
    {"Navigation", 3, Step::Navigate, "客户往来账"},
    {"DrillDown", 1, Step::DrillDown, "销售日报"},
};

// The demo on the private server.
class ServerFaultBase : public vondrel::test::DemoWindowFixture {
protected:
    static void SetUpTestSuite() { s_started = PrivateServer::Start(); }
    static void TearDownTestSuite() { PrivateServer::Remove(); }

    Backend DatabaseParam() const override { return Backend::Postgres; }

    void SetUp() override {
        if (!s_started) {
            if (std::getenv("CI")) {
                FAIL() << "no private PostgreSQL server: " << PrivateServer::Failure();
            }
            GTEST_SKIP() << "no private PostgreSQL server: " << PrivateServer::Failure();
        }
        // The fixture's database lives on the private server.
        const char* previous = std::getenv("VONDREL_PG_CONNINFO");
        m_previousConninfo = previous ? previous : "";
        ::setenv("VONDREL_PG_CONNINFO", PrivateServer::Conninfo().c_str(), 1);
        DemoWindowFixture::SetUp();
    }

    void TearDown() override {
        if (m_stopped) {
            PrivateServer::Restart(); // the schema is dropped through the server
        }
        DemoWindowFixture::TearDown();
        m_db.reset();
        ::setenv("VONDREL_PG_CONNINFO", m_previousConninfo.c_str(), 1);
    }

    void StopServer() {
        ASSERT_TRUE(PrivateServer::Stop());
        m_stopped = true;
    }
    void StartServer() {
        ASSERT_TRUE(PrivateServer::Restart());
        m_stopped = false;
    }

    void Take(frmGridPrint& window, Step step) {
        switch (step) {
        case Step::Fetch:
            window.ToolbarClick("regetdata");
            break;
        case Step::Navigate:
            window.ToolbarClick("movenext");
            break;
        case Step::DrillDown: {
            const int row = window.iFixedRows + 1;
            window.Grid().UserClick(row, 1);
            window.Grid().UserDoubleClick(row, 1);
            break;
        }
        }
    }

    std::string SelectorText(frmGridPrint& window) { return window.Selector().text; }

    static inline bool s_started = false;
    std::string m_previousConninfo;
    bool m_stopped = false;
};

class ServerFaults : public ServerFaultBase, public ::testing::WithParamInterface<std::size_t> {};
using ServerFaultsAtClose = ServerFaultBase;
using ServerConnection = ServerFaultBase;

// Stopped: one clear message, the window stays; back again: the same step works, without a word.
TEST_P(ServerFaults, StoppedThenBack) {
    const Fault& fault = kFaults[GetParam()];
    const bool shown = Show(fault.report, [&](frmGridPrint& window) {
        ASSERT_GT(DataRows(window), 0);
        const std::string selectorBefore = SelectorText(window);
        StopServer();
        Take(window, fault.step);
        const std::vector<std::string> messages = Messages();
        ASSERT_EQ(messages.size(), 1U) << ::testing::PrintToString(messages);
        EXPECT_TRUE(HasChineseWords(messages[0]));
        EXPECT_NE(messages[0].find("连接已断开"), std::string::npos) << messages[0];
        EXPECT_FALSE(window.IsCloseRequested());

        StartServer();
        Take(window, fault.step);
        EXPECT_EQ(Messages(), std::vector<std::string>{});
        EXPECT_EQ(window.Caption(), fault.captionAfter);
        EXPECT_GT(DataRows(window), 0);
        if (fault.step == Step::Navigate) {
            EXPECT_NE(SelectorText(window), selectorBefore) << "moved on to the next customer";
        }
    });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(m_loaded);
    // The close-time save ran on the restored connection.
    EXPECT_EQ(Messages(), std::vector<std::string>{});
}

// Restarted between two steps: the next step reconnects by itself.
TEST_P(ServerFaults, RestartedBetweenSteps) {
    const Fault& fault = kFaults[GetParam()];
    Show(fault.report, [&](frmGridPrint& window) {
        StopServer();
        StartServer();
        Take(window, fault.step);
        EXPECT_EQ(Messages(), std::vector<std::string>{});
        EXPECT_EQ(window.Caption(), fault.captionAfter);
        EXPECT_GT(DataRows(window), 0);
    });
    EXPECT_TRUE(m_loaded);
    EXPECT_EQ(Messages(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Steps, ServerFaults, ::testing::Range(std::size_t{0}, std::size(kFaults)),
                         [](const ::testing::TestParamInfo<std::size_t>& step) {
                             return std::string(kFaults[step.param].name);
                         });

// The close-time save with the server gone: said once, however many columns, and the window still
// closes; once the server is back the report opens again and its widths are kept.
TEST_F(ServerFaultsAtClose, WidthSaveWhileStoppedIsReportedOnce) {
    const std::string widths = "SELECT COUNT(*) FROM QV_RptChangeColFormat WHERE frptid = 1 AND fuserid = 1";
    ASSERT_EQ(Scalar(widths), "0");
    EXPECT_TRUE(Show(1, [&](frmGridPrint& window) {
        ASSERT_GT(window.Grid().GridColCount(), 3);
        StopServer();
    }));
    std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 1U) << ::testing::PrintToString(messages);
    EXPECT_NE(messages[0].find("列宽没有保存"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("连接已断开"), std::string::npos) << messages[0];

    StartServer();
    EXPECT_TRUE(Show(1, [&](frmGridPrint& window) { EXPECT_GT(DataRows(window), 0); }));
    EXPECT_EQ(Messages(), std::vector<std::string>{});
    EXPECT_NE(Scalar(widths), "0") << "saved at the second close";
}

// The host's own statements on the shared connection: a restart in the middle of the host's
// transaction is never papered over by the reconnect.
TEST_F(ServerConnection, TransactionOpenAcrossARestartIsReportedLost) {
    const auto cnn = m_db->Connection();
    cnn->Execute("CREATE TABLE host_rows (id INTEGER)");
    cnn->Execute("BEGIN");
    cnn->Execute("INSERT INTO host_rows VALUES (1)");
    StopServer();
    StartServer();
    const auto failure = [&](const char* sql) {
        return vondrel::test::ErrorOf([&] { cnn->Execute(sql); }).description;
    };
    EXPECT_NE(failure("INSERT INTO host_rows VALUES (2)").find("连接已断开"), std::string::npos);
    EXPECT_NE(failure("INSERT INTO host_rows VALUES (3)").find("事务已经丢失"), std::string::npos);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM host_rows"), "0") << "nothing of the lost transaction";
    cnn->Execute("INSERT INTO host_rows VALUES (4)");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM host_rows"), "1");
}

// The demo on SQLite with a second connection beside the window's.
class SqliteFaults : public vondrel::test::DemoWindowFixture {
protected:
    Backend DatabaseParam() const override { return Backend::Sqlite; }

    std::shared_ptr<ado::Connection> Open(const std::string& connectionString) {
        auto cnn = ado::Connection::Create();
        cnn->Open(connectionString);
        return cnn;
    }
};

// Another program holds the file locked: the fetch waits the driver's timeout, then says so; once the
// lock is gone the same fetch works. The save at close meets the lock the same way, said once.
TEST_F(SqliteFaults, LockedFileOnFetchAndClose) {
    const auto other = Open(m_db->ConnectionString());
    EXPECT_TRUE(Show(1, [&](frmGridPrint& window) {
        const int rows = DataRows(window);
        other->Execute("BEGIN EXCLUSIVE");
        window.ToolbarClick("regetdata");
        std::vector<std::string> messages = Messages();
        ASSERT_EQ(messages.size(), 1U) << ::testing::PrintToString(messages);
        EXPECT_NE(messages[0].find("锁定"), std::string::npos) << messages[0];
        EXPECT_FALSE(window.IsCloseRequested());

        other->Execute("COMMIT");
        window.ToolbarClick("regetdata");
        EXPECT_EQ(Messages(), std::vector<std::string>{});
        EXPECT_EQ(DataRows(window), rows);
        other->Execute("BEGIN EXCLUSIVE");
    }));
    std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 1U) << ::testing::PrintToString(messages);
    EXPECT_NE(messages[0].find("列宽没有保存"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("锁定"), std::string::npos) << messages[0];
    other->Execute("ROLLBACK");
}

// A database the component may only read: the report is shown as always, and the width save at close
// says once that it could not write.
TEST_F(SqliteFaults, ReadOnlyDatabaseForTheWidthSave) {
    std::string path = m_db->ConnectionString();
    if (path.starts_with("sqlite:")) {
        path.erase(0, 7);
    }
    m_host->set_cnn(Open("sqlite:file:" + path + "?mode=ro"));
    EXPECT_TRUE(Show(1, [&](frmGridPrint& window) {
        EXPECT_GT(DataRows(window), 0);
        EXPECT_EQ(Messages(), std::vector<std::string>{});
        window.ToolbarClick("regetdata");
        EXPECT_EQ(Messages(), std::vector<std::string>{}) << "reading still works";
    }));
    EXPECT_TRUE(m_loaded);
    std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 1U) << ::testing::PrintToString(messages);
    EXPECT_NE(messages[0].find("列宽没有保存"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("只读"), std::string::npos) << messages[0];
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM QV_RptChangeColFormat WHERE frptid = 1"), "0");
}

} // namespace
