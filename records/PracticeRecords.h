#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "practice/Drill.h"
#include "practice/Session.h"

struct sqlite3;
struct sqlite3_stmt;

// The practice sessions of every child and their lists of missed problems, in one SQLite file.
// The schema carries its version (PRAGMA user_version) and is brought up to date on opening, one
// transaction per step; a file of a newer version is left alone. Every change is one
// transaction, in WAL mode, so that a crash or a power cut leaves either the change or the
// state before it, and two programs practising at once take turns (with a busy timeout). A
// file that cannot be used is never replaced or emptied: opening fails and says why.
class PracticeRecords {
public:
    enum class Failure {
        None,
        CannotOpen,   // no such folder, no permission to read it
        NotRecords,   // corrupt, or not a database at all
        ReadOnly,
        Busy,         // another program kept it locked
        Full,
        TooNew,       // written by a later version of the program
        Other,
    };
    struct Error {
        Failure failure = Failure::None;
        std::string detail;  // SQLite's own words, for the curious
    };

    static constexpr int kSchemaVersion = 1;

    // Opens or creates the file; nothing when it cannot be used, with the reason in `error`.
    // A file another program is writing is waited for up to `busyMs`.
    static std::unique_ptr<PracticeRecords> Open(const std::string& path, Error& error, int busyMs = 5000);
    ~PracticeRecords();

    // Each change returns false when it could not be written, with the reason in lastError().
    const Error& lastError() const { return m_error; }

    struct StoredSession {
        std::int64_t id = 0;
        std::string child;
        int sheet = 0;
        std::string title;
        std::vector<practice::Problem> problems;  // their texts: the values are the reader's to work out
        std::vector<std::string> answers;
        std::int64_t startedMs = 0, elapsedMs = 0;
    };
    struct FinishedSession {
        std::int64_t id = 0;
        int sheet = 0;
        std::int64_t finishedMs = 0, elapsedMs = 0;
        int right = 0, asked = 0;

        double RatePerMinute() const { return practice::Result{right, asked, elapsedMs, {}}.RatePerMinute(); }
        // Out of 100, whatever the number asked.
        double Percent() const { return asked > 0 ? 100.0 * right / asked : 0.0; }
    };

    // A new session; its id, or 0 when it could not be written.
    std::int64_t Begin(const std::string& child, int sheet, const std::string& title,
                       const std::vector<practice::Problem>& problems, std::int64_t startedMs);
    bool SaveAnswers(std::int64_t id, const std::vector<std::string>& answers, std::int64_t elapsedMs);
    // The marks of a handed-in session, with the sheet's outcome on the child's list: a
    // problem answered wrong or left blank is (again) on it; one on it answered right counts
    // for `day`.
    bool Finish(std::int64_t id, const practice::Session& session, std::int64_t finishedMs, int day);
    // An unfinished session the child does not want to continue: kept, but not offered again.
    bool PutAside(std::int64_t id);

    // The unfinished session begun last, if any.
    std::optional<StoredSession> Unfinished();
    // Every child who has practised, the last one first.
    std::vector<std::string> Children();
    std::vector<FinishedSession> Finished(const std::string& child);
    // Which of the given sheets (by their problems) this child has handed in before.
    std::set<std::size_t> FinishedSheets(const std::string& child, const std::vector<std::vector<practice::Problem>>& sheets);

    // The child's list: problems still to come back, or the most missed of all time.
    std::vector<practice::MissedEntry> MissedList(const std::string& child);
    std::vector<practice::MissedEntry> MostMissed(const std::string& child, int count);
    // A problem of the list answered right twice in a row in a drill on `day`.
    bool RecordDrilled(const std::string& child, const practice::Problem& problem, int day);

private:
    explicit PracticeRecords(sqlite3* db) : m_db(db) {}
    // The file's settings and its schema brought up to date.
    bool SetUp();
    bool Migrate();
    bool Exec(const char* sql);
    // Runs `change` in one transaction that takes the write lock at once.
    template <typename Change>
    bool Transaction(Change change);
    bool Fail(int code);
    sqlite3_stmt* Prepare(const char* sql);
    bool Update(const std::string& child, const practice::Problem& problem, bool right, int day);
    std::vector<practice::MissedEntry> Entries(const char* sql, const std::string& child, int limit);

    sqlite3* m_db;
    Error m_error;
    sqlite3_stmt* m_saveAnswers = nullptr;  // kept: it runs on every keystroke
};
