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
// The file is marked as ours (PRAGMA application_id) and its schema carries its version (PRAGMA
// user_version): opening looks at both before it changes anything, brings the schema up to
// date one transaction per step, and leaves alone a file of a newer version or of another
// program. Every change is one transaction, in WAL mode, so that a crash or a power cut leaves
// either the change or the state before it, and two programs practising at once take turns
// (with a busy timeout). A file that cannot be used is never replaced, emptied or changed:
// opening fails and says why.
//
// A session being answered is claimed by the program answering it: no other copy of the
// program offers it or writes into it while that program runs. A claim whose program has gone
// (a crash) is let go when the file is next opened.
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
        NotOurs,      // a database of another program
        Gone,         // the session was handed in, put aside or taken up elsewhere
        Other,
    };
    struct Error {
        Failure failure = Failure::None;
        std::string detail;  // SQLite's own words, for the curious
    };

    static constexpr int kSchemaVersion = 4;
    // "Pell": what PRAGMA application_id holds in our files.
    static constexpr int kApplicationId = 0x50656c6c;

    // Opens or creates the file; nothing when it cannot be used, with the reason in `error`.
    // A file another program is writing is waited for up to `busyMs`.
    static std::unique_ptr<PracticeRecords> Open(const std::string& path, Error& error, int busyMs = 5000);
    // Opens the file only to read it: nothing is made, brought up to date or changed. Printing
    // reads the children's lists this way.
    static std::unique_ptr<PracticeRecords> OpenToRead(const std::string& path, Error& error);
    // The user's own records: practice.sqlite in the program's data folder.
    static std::string DefaultPath();
    // Where tests keep theirs; empty for the user's own again.
    static void SetDefaultPathForTests(const std::string& path);
    ~PracticeRecords();

    // Each change returns false when it could not be written, and each read nothing when it
    // could not be read, with the reason in lastError().
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
        std::int64_t madeMs = 0;  // when its sheet was made; for sessions from before that was kept, when begun
        bool paper = false;       // marked from a scan of the sheet on paper; its elapsedMs 0 where not known

        double RatePerMinute() const { return practice::Result{right, asked, elapsedMs, {}}.RatePerMinute(); }
        // Out of 100, whatever the number asked.
        double Percent() const { return asked > 0 ? 100.0 * right / asked : 0.0; }
    };

    // A new session, claimed by this program; its id, or 0 when it could not be written.
    std::int64_t Begin(const std::string& child, int sheet, const std::string& title,
                       const std::vector<practice::Problem>& problems, std::int64_t startedMs, std::int64_t madeMs = 0);
    // Takes up a kept session (one Unfinished() offered); fails with Gone when another
    // program took it up or put it aside first.
    bool Claim(std::int64_t id);
    // Lets go of a claimed session, which is then offered again: the window closed with the
    // session kept.
    bool Release(std::int64_t id);
    // Each of these fails with Gone when the session is no longer this program's to write.
    bool SaveAnswers(std::int64_t id, const std::vector<std::string>& answers, std::int64_t elapsedMs);
    // The marks of a handed-in session, with the sheet's outcome on the child's list: a
    // problem answered wrong or left blank is (again) on it; one on it answered right counts
    // for `day`. A session is handed in once.
    bool Finish(std::int64_t id, const practice::Session& session, std::int64_t finishedMs, int day);
    // A sheet done on paper and marked from its scan: a handed-in session at once, whose misses
    // and right answers count for the child's list as a sheet's on screen do. `key` is the
    // sheet's identity (from its code): a session of the same key, a sheet marked before, is
    // replaced, its part of the list with it. The new session's id, or 0.
    struct PaperSession {
        std::string child;
        int sheet = 0;
        std::string title;
        std::vector<practice::Problem> problems;
        std::vector<std::string> answers;  // as read and confirmed; empty where blank
        std::int64_t markedMs = 0, elapsedMs = 0, madeMs = 0;  // elapsedMs 0: not known
        int right = 0, asked = 0;
        practice::Outcome outcome;
        std::string key;
    };
    std::int64_t RecordPaper(const PaperSession& paper, int day);
    // Which of these sheet identities have a session already.
    std::optional<std::set<std::string>> RecordedPaper(const std::vector<std::string>& keys);
    // An unfinished session the child does not want to continue: kept, but not offered again.
    bool PutAside(std::int64_t id);

    // The unfinished session begun last that no running program has claimed, if any; false
    // when the file could not be read.
    bool Unfinished(std::optional<StoredSession>& session);
    // Every child who has practised, the last one first.
    std::optional<std::vector<std::string>> Children();
    std::optional<std::vector<FinishedSession>> Finished(const std::string& child);
    // Which of the given sheets (by their problems) this child has handed in before.
    std::optional<std::set<std::size_t>> FinishedSheets(const std::string& child,
                                                        const std::vector<std::vector<practice::Problem>>& sheets);

    // The child's list: problems still to come back, or the most missed of all time.
    std::optional<std::vector<practice::MissedEntry>> MissedList(const std::string& child);
    std::optional<std::vector<practice::MissedEntry>> MostMissed(const std::string& child, int count);
    // An answer in a drill after `session` on `day`: a problem of the list mastered there
    // (right), or any problem answered wrong there, which goes on the list as a miss.
    bool RecordDrilled(const std::string& child, std::int64_t session, const practice::Problem& problem, bool right,
                       int day);

    // Mistakes put right, each in one transaction. A session removed takes with it what it (and
    // the drill after it) added to the child's list; not one a window is answering (Gone).
    bool DeleteSession(std::int64_t id);
    // A child renamed; to a name that has records already, the two are merged into one child,
    // the lists worked out again from both children's answers in the order they were given.
    bool RenameChild(const std::string& from, const std::string& to);
    // Everything of a child, but a session a window is answering now.
    bool DeleteChild(const std::string& child);

private:
    explicit PracticeRecords(sqlite3* db);
    // Whether the file is ours (or new) and of a version this program knows; nothing written.
    bool Check();
    // The file's settings and its schema brought up to date.
    bool SetUp();
    bool Migrate();
    bool ReleaseDeadClaims();
    // One UPDATE of one session; Gone when it matched none.
    bool ChangeOne(sqlite3_stmt* update);
    // The first column of a one-row query.
    bool ReadInt(const char* sql, int& value);
    bool Exec(const char* sql);
    // Runs `change` in one transaction that takes the write lock at once.
    template <typename Change>
    bool Transaction(Change change);
    void Rollback();
    bool Fail(int code);
    sqlite3_stmt* Prepare(const char* sql);
    // An answer that counts for the child's list: kept, and the list's entry brought up to date.
    bool Update(const std::string& child, std::int64_t session, const practice::Problem& problem, bool right, int day);
    bool Put(const std::string& child, const practice::MissedEntry& entry);
    // A session and its part of the child's list taken away, in the caller's transaction.
    bool Remove(std::int64_t id);
    bool Replay(const std::string& child, const std::set<std::string>* problems);
    // One statement with its values bound in turn, that returns no rows.
    template <typename... Values>
    bool Execute(const char* sql, const Values&... values);
    // The child of the session the one-row query `sql` finds by id; Gone when it finds none.
    bool ChildOf(const char* sql, std::int64_t id, std::string& child);
    std::optional<std::vector<practice::MissedEntry>> Entries(const char* sql, const std::string& child, int limit);
    // A read's last step: true when all rows were read.
    bool Done(int step);

    sqlite3* m_db;
    Error m_error;
    const std::string m_claim;  // this program's, for the sessions it answers
    sqlite3_stmt* m_saveAnswers = nullptr;  // kept: it runs on every keystroke
};
