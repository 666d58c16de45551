#include "PracticeRecords.h"

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <unordered_set>

#include "platform/DataFolder.h"
#include "platform/Process.h"

using practice::MissedEntry;
using practice::Problem;

namespace {

// Each step brings the schema from the version before it to its own; a step is never changed
// once released, a new one is added.
const char* const kSteps[] = {
    // 1: sessions with their problems and answers, and each child's missed problems.
    R"(CREATE TABLE sessions(
           id INTEGER PRIMARY KEY,
           child TEXT NOT NULL,
           sheet INTEGER NOT NULL,
           title TEXT NOT NULL,
           problems TEXT NOT NULL,           -- a problem a line, as printed
           answers TEXT NOT NULL DEFAULT '', -- the fields' texts, joined by commas
           started_ms INTEGER NOT NULL,
           elapsed_ms INTEGER NOT NULL DEFAULT 0,
           state INTEGER NOT NULL DEFAULT 0, -- 0 open, 1 handed in, 2 put aside
           finished_ms INTEGER,
           right_count INTEGER,
           asked_count INTEGER);
       CREATE INDEX sessions_by_child ON sessions(child, state, finished_ms);
       CREATE TABLE missed(
           child TEXT NOT NULL,
           problem TEXT NOT NULL,
           value INTEGER NOT NULL,
           times_missed INTEGER NOT NULL,
           right_days INTEGER NOT NULL,
           last_right_day INTEGER NOT NULL,
           retired INTEGER NOT NULL,
           PRIMARY KEY(child, problem)) WITHOUT ROWID;)",
    // 2: a session being answered is claimed (state 3) by the program answering it; the
    // sessions still open are found without reading the others.
    R"(ALTER TABLE sessions ADD COLUMN claim TEXT;
       CREATE INDEX sessions_open ON sessions(started_ms, id) WHERE state IN (0, 3);)",
    // 3: every answer that counts for the list of missed problems, by session, so that a
    // session removed takes its part of the list with it and two children's records can be
    // merged. What the list held before is kept as it was: for each problem its misses, then
    // its right answers on their days, which replayed give the same entry. And the time a
    // session's sheet was made, to tell apart two sheets of the same number.
    R"(CREATE TABLE outcomes(
           id INTEGER PRIMARY KEY,
           child TEXT NOT NULL,
           session INTEGER,              -- NULL: from before this step
           problem TEXT NOT NULL,
           value INTEGER NOT NULL,
           right INTEGER NOT NULL,
           day INTEGER NOT NULL);
       CREATE INDEX outcomes_by_child ON outcomes(child, problem, id);
       CREATE INDEX outcomes_by_session ON outcomes(session);
       WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n
                               WHERE i < (SELECT max(max(times_missed), max(right_days)) FROM missed))
       INSERT INTO outcomes(child, session, problem, value, right, day)
           SELECT child, NULL, problem, value, 0, 0 FROM missed JOIN n ON n.i <= missed.times_missed
           UNION ALL
           SELECT child, NULL, problem, value, 1, last_right_day - right_days + n.i FROM missed JOIN n ON n.i <= missed.right_days
           ORDER BY 5, 6;
       ALTER TABLE sessions ADD COLUMN made_ms INTEGER;)",
    // 4: sessions marked on paper from a scan beside those answered on screen, each paper sheet
    // known by the identity its code gives it, so that a sheet marked again replaces itself.
    R"(ALTER TABLE sessions ADD COLUMN paper INTEGER NOT NULL DEFAULT 0;
       ALTER TABLE sessions ADD COLUMN sheet_key TEXT;
       CREATE INDEX sessions_by_sheet_key ON sessions(sheet_key) WHERE sheet_key IS NOT NULL;)",
};
static_assert(std::size(kSteps) == PracticeRecords::kSchemaVersion);

// 0 open, 1 handed in, 2 put aside, 3 open and being answered by the program in `claim`.

struct Statement {
    sqlite3_stmt* s = nullptr;
    ~Statement() { sqlite3_finalize(s); }
    operator sqlite3_stmt*() const { return s; }
};

void Bind(sqlite3_stmt* s, int i, const std::string& text) {
    sqlite3_bind_text(s, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}
void Bind(sqlite3_stmt* s, int i, std::int64_t value) { sqlite3_bind_int64(s, i, value); }
void Bind(sqlite3_stmt* s, int i, int value) { sqlite3_bind_int(s, i, value); }

std::string Text(sqlite3_stmt* s, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(s, column))) : std::string();
}

// The problems as printed, a line each. Their values are not kept: the reader of the sheets
// works them out again from the text, as it did the first time.
std::string JoinProblems(const std::vector<Problem>& problems) {
    std::string joined;
    for (const auto& problem : problems) {
        joined += problem.text;
        joined += '\n';
    }
    return joined;
}

std::vector<Problem> SplitProblems(const std::string& joined) {
    std::vector<Problem> problems;
    std::size_t start = 0;
    while (start < joined.size()) {
        std::size_t end = joined.find('\n', start);
        if (end == std::string::npos) end = joined.size();
        problems.push_back({joined.substr(start, end - start), -1});
        start = end + 1;
    }
    return problems;
}

std::string JoinAnswers(const std::vector<std::string>& answers) {
    std::string joined;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (i) joined += ',';
        joined += answers[i];
    }
    return joined;
}

std::vector<std::string> SplitAnswers(const std::string& joined) {
    std::vector<std::string> answers(1);
    for (char c : joined) {
        if (c == ',') answers.emplace_back();
        else answers.back() += c;
    }
    return answers;
}

PracticeRecords::Failure FailureOf(int code) {
    switch (code & 0xff) {
    case SQLITE_OK: case SQLITE_DONE: case SQLITE_ROW: return PracticeRecords::Failure::None;
    case SQLITE_NOTADB: case SQLITE_CORRUPT: return PracticeRecords::Failure::NotRecords;
    case SQLITE_READONLY: return PracticeRecords::Failure::ReadOnly;
    case SQLITE_BUSY: case SQLITE_LOCKED: return PracticeRecords::Failure::Busy;
    case SQLITE_FULL: return PracticeRecords::Failure::Full;
    case SQLITE_CANTOPEN: case SQLITE_PERM: case SQLITE_AUTH: return PracticeRecords::Failure::CannotOpen;
    default: return PracticeRecords::Failure::Other;
    }
}

}  // namespace

namespace {

// A claim of this program's, and of this connection: two windows of one program never write
// into each other's session either.
std::string NewClaim() {
    static std::atomic<unsigned> connections{0};
    return pellarin::ProcessClaim() + '\t' + std::to_string(++connections);
}

}  // namespace

PracticeRecords::PracticeRecords(sqlite3* db) : m_db(db), m_claim(NewClaim()) {}

std::unique_ptr<PracticeRecords> PracticeRecords::Open(const std::string& path, Error& error, int busyMs) {
    // A file that is there is opened as it is; only a missing one is made, and a new file that
    // could not be set up (a disk already full) is taken away again rather than left empty.
    sqlite3* db = nullptr;
    int opened = SQLITE_CANTOPEN;
    bool created = false;
    // SQLite quietly opens a write-protected file for reading only; practice would then lose
    // every answer without a word. It does the same with a file another program creates at the
    // very moment SQLite finds it missing for writing and tries it for reading: the file is
    // writable by then, and opening it again gets it so.
    for (int attempt = 0; attempt < 3; ++attempt) {
        sqlite3_close(db);
        db = nullptr;
        opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        created = false;
        if (opened == SQLITE_CANTOPEN) {
            sqlite3_close(db);
            db = nullptr;
            opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
            created = true;
        }
        if (opened != SQLITE_OK || sqlite3_db_readonly(db, "main") != 1) break;
    }
    std::unique_ptr<PracticeRecords> records(new PracticeRecords(db));
    if (opened != SQLITE_OK) {
        error = {FailureOf(opened), db ? sqlite3_errmsg(db) : sqlite3_errstr(opened)};
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    // A second program practising at the same time holds the lock for a moment at most.
    sqlite3_busy_timeout(db, busyMs);
    if (sqlite3_db_readonly(db, "main") == 1) {
        error = {Failure::ReadOnly, "read-only"};
        return nullptr;
    }
    // Two programs opening a new file at once can meet in the middle of its set-up, where
    // SQLite answers "busy" at once rather than wait (it would be a deadlock); the one that
    // loses tries again until the other is done.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(busyMs);
    while (!(records->Check() && records->SetUp())) {
        if (records->m_error.failure != Failure::Busy || std::chrono::steady_clock::now() >= deadline) {
            error = records->m_error;
            int pages = -1;
            if (created && records->ReadInt("PRAGMA page_count", pages) && pages == 0) {
                records.reset();
                sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
                vfs->xDelete(vfs, path.c_str(), 0);
            }
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    error = {};
    return records;
}

std::unique_ptr<PracticeRecords> PracticeRecords::OpenToRead(const std::string& path, Error& error) {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<PracticeRecords> records(new PracticeRecords(db));
    if (opened != SQLITE_OK) {
        error = {FailureOf(opened), db ? sqlite3_errmsg(db) : sqlite3_errstr(opened)};
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    int objects = 0;
    if (!records->Check() || !records->ReadInt("SELECT count(*) FROM sqlite_schema", objects)) {
        error = records->m_error;
        return nullptr;
    }
    // An empty file holds no records; read as records it would fail on every query.
    if (objects == 0) {
        error = {Failure::NotRecords, "empty"};
        return nullptr;
    }
    error = {};
    return records;
}

namespace {
std::string& PathForTests() {
    static std::string path;
    return path;
}
}  // namespace

void PracticeRecords::SetDefaultPathForTests(const std::string& path) { PathForTests() = path; }

std::string PracticeRecords::DefaultPath() {
    if (!PathForTests().empty()) return PathForTests();
    const std::string folder = pellarin::UserDataFolder();
    return (folder.empty() ? std::string(".") : folder) + "/Pellarin/practice.sqlite";
}

bool PracticeRecords::ReadInt(const char* sql, int& value) {
    Statement s{Prepare(sql)};
    if (!s) return false;
    const int step = sqlite3_step(s);
    if (step != SQLITE_ROW) return Fail(step == SQLITE_DONE ? SQLITE_CORRUPT : step);
    value = sqlite3_column_int(s, 0);
    return true;
}

// Our file, a new one, or one of the first version (made before files were marked): anything
// else is another program's, and a file of a later version is left to that version. The
// first read is the first look inside the file: a file that is not a database fails here.
bool PracticeRecords::Check() {
    int version = 0, application = 0, objects = 0, ourColumns = 0;
    // One read transaction, so that the four are read from one state of the file: another
    // program may be setting up a new file at this moment.
    if (!Exec("BEGIN")) return false;
    const bool read =
        ReadInt("PRAGMA user_version", version) && ReadInt("PRAGMA application_id", application) &&
        ReadInt("SELECT count(*) FROM sqlite_schema", objects) &&
        ReadInt("SELECT (SELECT count(*) FROM pragma_table_info('sessions') WHERE name IN ('id', 'child', 'sheet',"
                " 'title', 'problems', 'answers', 'started_ms', 'elapsed_ms', 'state', 'finished_ms', 'right_count',"
                " 'asked_count')) + (SELECT count(*) FROM pragma_table_info('missed') WHERE name IN ('child', 'problem',"
                " 'value', 'times_missed', 'right_days', 'last_right_day', 'retired'))",
                ourColumns);
    Rollback();
    if (!read) return false;
    const bool empty = objects == 0 && version == 0;
    // The first version's tables, column for column: two tables of the same names are not enough.
    const bool firstVersion = application == 0 && version == 1 && ourColumns == 12 + 7;
    if (application != kApplicationId && !(application == 0 && empty) && !firstVersion) {
        m_error = {Failure::NotOurs, "application_id " + std::to_string(application) + ", user_version " +
                                         std::to_string(version) + ", " + std::to_string(objects) + " objects"};
        return false;
    }
    if (version > kSchemaVersion) {
        m_error = {Failure::TooNew, "user_version " + std::to_string(version)};
        return false;
    }
    return true;
}

// The file's settings, in this order:
// - a session is about 1.4 kB, which fills 4 kB pages badly (two to a page); in 16 kB
//   pages a year of practice takes a third less room (only a new, empty file takes it);
// - the log (WAL) lets a reader see the file while another program writes. Each keystroke
//   appends a page to it: it is copied back into the file every 64 pages (1 MB) and cut
//   back to that size, so that a nearly full disk is not filled by the log alone. A file
//   that cannot take WAL keeps its rollback journal, which is as safe;
// - every commit reaches the disk before the program goes on: a power cut keeps the
//   answers typed before it.
bool PracticeRecords::SetUp() {
    for (const char* setting : {"PRAGMA page_size=16384", "PRAGMA journal_mode=WAL", "PRAGMA wal_autocheckpoint=64",
                                "PRAGMA journal_size_limit=1048576", "PRAGMA synchronous=FULL"}) {
        if (!Exec(setting)) return false;
    }
    return Migrate() && ReleaseDeadClaims();
}

PracticeRecords::~PracticeRecords() {
    sqlite3_finalize(m_saveAnswers);
    sqlite3_close(m_db);
}

bool PracticeRecords::Fail(int code) {
    m_error = {FailureOf(code), sqlite3_errmsg(m_db)};
    if (m_error.failure == Failure::None) m_error.failure = Failure::Other;
    return false;
}

bool PracticeRecords::Exec(const char* sql) {
    Statement s{Prepare(sql)};
    if (!s) return false;
    int step;
    while ((step = sqlite3_step(s)) == SQLITE_ROW) {
    }
    return step == SQLITE_DONE || Fail(step);
}

sqlite3_stmt* PracticeRecords::Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    const int code = sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr);
    if (code != SQLITE_OK) {
        Fail(code);
        return nullptr;
    }
    return s;
}

template <typename Change>
bool PracticeRecords::Transaction(Change change) {
    if (!Exec("BEGIN IMMEDIATE")) return false;
    if (change() && Exec("COMMIT")) return true;
    Rollback();
    return false;
}

// Keeps the reason the transaction is given up for.
void PracticeRecords::Rollback() {
    const Error error = m_error;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_error = error;
}

bool PracticeRecords::Migrate() {
    return Transaction([&] {
        int version = 0, application = 0;
        if (!ReadInt("PRAGMA user_version", version) || !ReadInt("PRAGMA application_id", application)) return false;
        if (version > kSchemaVersion) {
            m_error = {Failure::TooNew, "user_version " + std::to_string(version)};
            return false;
        }
        for (int next = version; next < kSchemaVersion; ++next) {
            if (sqlite3_exec(m_db, kSteps[next], nullptr, nullptr, nullptr) != SQLITE_OK) return Fail(sqlite3_errcode(m_db));
        }
        return (version == kSchemaVersion ||
                Exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str())) &&
               (application == kApplicationId ||
                Exec(("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str()));
    });
}

// Sessions claimed by a program that is no longer running (it crashed, or the machine went
// down) are open again, to be offered at the next F6.
bool PracticeRecords::ReleaseDeadClaims() {
    std::vector<std::pair<std::int64_t, std::string>> dead;
    {
        Statement s{Prepare("SELECT id, claim FROM sessions WHERE state IN (0, 3) AND state=3")};
        if (!s) return false;
        int step;
        while ((step = sqlite3_step(s)) == SQLITE_ROW) {
            const std::string claim = Text(s, 1);
            if (!pellarin::ClaimIsAlive(claim)) dead.emplace_back(sqlite3_column_int64(s, 0), claim);
        }
        if (!Done(step)) return false;
    }
    if (dead.empty()) return true;
    return Transaction([&] {
        Statement s{Prepare("UPDATE sessions SET state=0, claim=NULL WHERE id=? AND state=3 AND claim=?")};
        if (!s) return false;
        for (const auto& [id, claim] : dead) {
            sqlite3_reset(s);
            Bind(s, 1, id);
            Bind(s, 2, claim);
            const int step = sqlite3_step(s);
            if (step != SQLITE_DONE) return Fail(step);
        }
        return true;
    });
}

bool PracticeRecords::Done(int step) { return step == SQLITE_DONE || Fail(step); }

bool PracticeRecords::ChangeOne(sqlite3_stmt* update) {
    const int step = sqlite3_step(update);
    if (step != SQLITE_DONE) return Fail(step);
    if (sqlite3_changes(m_db) == 1) return true;
    m_error = {Failure::Gone, "no such session open here"};
    return false;
}

std::int64_t PracticeRecords::Begin(const std::string& child, int sheet, const std::string& title,
                                    const std::vector<Problem>& problems, std::int64_t startedMs, std::int64_t madeMs) {
    std::int64_t id = 0;
    const bool committed = Transaction([&] {
        Statement s{Prepare("INSERT INTO sessions(child, sheet, title, problems, started_ms, state, claim, made_ms)"
                            " VALUES(?,?,?,?,?,3,?,?)")};
        if (!s) return false;
        Bind(s, 1, child);
        Bind(s, 2, sheet);
        Bind(s, 3, title);
        Bind(s, 4, JoinProblems(problems));
        Bind(s, 5, startedMs);
        Bind(s, 6, m_claim);
        if (madeMs) Bind(s, 7, madeMs);
        const int step = sqlite3_step(s);
        if (step != SQLITE_DONE) return Fail(step);
        id = sqlite3_last_insert_rowid(m_db);
        return true;
    });
    // An id whose commit failed (a full disk shows there in WAL mode) was rolled back, and
    // would be handed to the next session begun.
    return committed ? id : 0;
}

bool PracticeRecords::Claim(std::int64_t id) {
    Statement s{Prepare("UPDATE sessions SET state=3, claim=? WHERE id=? AND state=0")};
    if (!s) return false;
    Bind(s, 1, m_claim);
    Bind(s, 2, id);
    return ChangeOne(s);
}

bool PracticeRecords::Release(std::int64_t id) {
    Statement s{Prepare("UPDATE sessions SET state=0, claim=NULL WHERE id=? AND state=3 AND claim=?")};
    if (!s) return false;
    Bind(s, 1, id);
    Bind(s, 2, m_claim);
    return ChangeOne(s);
}

bool PracticeRecords::SaveAnswers(std::int64_t id, const std::vector<std::string>& answers, std::int64_t elapsedMs) {
    if (!m_saveAnswers) {
        m_saveAnswers = Prepare("UPDATE sessions SET answers=?, elapsed_ms=? WHERE id=? AND state=3 AND claim=?");
        if (!m_saveAnswers) return false;
    }
    // One statement is its own transaction.
    sqlite3_reset(m_saveAnswers);
    Bind(m_saveAnswers, 1, JoinAnswers(answers));
    Bind(m_saveAnswers, 2, elapsedMs);
    Bind(m_saveAnswers, 3, id);
    Bind(m_saveAnswers, 4, m_claim);
    const bool saved = ChangeOne(m_saveAnswers);
    sqlite3_reset(m_saveAnswers);
    return saved;
}

bool PracticeRecords::Update(const std::string& child, std::int64_t session, const Problem& problem, bool right,
                             int day) {
    {
        // Every answer that counts, first: the list can be worked out again from these.
        Statement s{Prepare("INSERT INTO outcomes(child, session, problem, value, right, day) VALUES(?,?,?,?,?,?)")};
        if (!s) return false;
        Bind(s, 1, child);
        if (session) Bind(s, 2, session);
        Bind(s, 3, problem.text);
        Bind(s, 4, problem.value);
        Bind(s, 5, right ? 1 : 0);
        Bind(s, 6, day);
        const int step = sqlite3_step(s);
        if (step != SQLITE_DONE) return Fail(step);
    }
    MissedEntry entry{problem};
    {
        Statement s{Prepare("SELECT times_missed, right_days, last_right_day, retired FROM missed WHERE child=? AND problem=?")};
        if (!s) return false;
        Bind(s, 1, child);
        Bind(s, 2, problem.text);
        const int step = sqlite3_step(s);
        if (step == SQLITE_ROW) {
            entry.timesMissed = sqlite3_column_int(s, 0);
            entry.rightDays = sqlite3_column_int(s, 1);
            entry.lastRightDay = sqlite3_column_int(s, 2);
            entry.retired = sqlite3_column_int(s, 3) != 0;
        } else if (step != SQLITE_DONE) {
            return Fail(step);
        } else if (right) {
            return true;  // right, and never missed: nothing to keep
        }
    }
    if (right) practice::RecordRight(entry, day);
    else practice::RecordMiss(entry);
    return Put(child, entry);
}

bool PracticeRecords::Put(const std::string& child, const MissedEntry& entry) {
    Statement s{Prepare("INSERT OR REPLACE INTO missed(child, problem, value, times_missed, right_days, last_right_day,"
                        " retired) VALUES(?,?,?,?,?,?,?)")};
    if (!s) return false;
    Bind(s, 1, child);
    Bind(s, 2, entry.problem.text);
    Bind(s, 3, entry.problem.value);
    Bind(s, 4, entry.timesMissed);
    Bind(s, 5, entry.rightDays);
    Bind(s, 6, entry.lastRightDay);
    Bind(s, 7, entry.retired ? 1 : 0);
    const int step = sqlite3_step(s);
    return step == SQLITE_DONE || Fail(step);
}

// The child's list worked out again from the answers that count, in the order they were given:
// for the given problems, or for all of the child's when `problems` is null.
bool PracticeRecords::Replay(const std::string& child, const std::set<std::string>* problems) {
    if (!problems && !Execute("DELETE FROM missed WHERE child=?", child)) return false;
    for (const std::string& problem : problems ? *problems : std::set<std::string>{}) {
        if (!Execute("DELETE FROM missed WHERE child=? AND problem=?", child, problem)) return false;
    }
    Statement s{Prepare("SELECT problem, value, right, day FROM outcomes WHERE child=? ORDER BY problem, id")};
    if (!s) return false;
    Bind(s, 1, child);
    std::optional<MissedEntry> entry;
    auto put = [&] { return !entry || entry->timesMissed == 0 || Put(child, *entry); };
    int step;
    while ((step = sqlite3_step(s)) == SQLITE_ROW) {
        const std::string problem = Text(s, 0);
        if (problems && !problems->count(problem)) continue;
        if (!entry || entry->problem.text != problem) {
            if (!put()) return false;
            entry = MissedEntry{{problem, sqlite3_column_int(s, 1)}};
        }
        if (sqlite3_column_int(s, 2)) {
            if (entry->timesMissed > 0) practice::RecordRight(*entry, sqlite3_column_int(s, 3));
        } else {
            practice::RecordMiss(*entry);
        }
    }
    return Done(step) && put();
}

template <typename... Values>
bool PracticeRecords::Execute(const char* sql, const Values&... values) {
    Statement s{Prepare(sql)};
    if (!s) return false;
    int i = 0;
    (Bind(s, ++i, values), ...);
    const int step = sqlite3_step(s);
    return step == SQLITE_DONE || Fail(step);
}

bool PracticeRecords::ChildOf(const char* sql, std::int64_t id, std::string& child) {
    Statement s{Prepare(sql)};
    if (!s) return false;
    Bind(s, 1, id);
    const int step = sqlite3_step(s);
    if (step == SQLITE_DONE) {
        m_error = {Failure::Gone, "no such session here"};
        return false;
    }
    if (step != SQLITE_ROW) return Fail(step);
    child = Text(s, 0);
    return true;
}

bool PracticeRecords::DeleteSession(std::int64_t id) { return Transaction([&] { return Remove(id); }); }

bool PracticeRecords::Remove(std::int64_t id) {
    // Not one a window is answering: that window would go on writing into nothing.
    std::string child;
    if (!ChildOf("SELECT child FROM sessions WHERE id=? AND state!=3", id, child)) return false;
    std::set<std::string> touched;
    {
        Statement s{Prepare("SELECT DISTINCT problem FROM outcomes WHERE session=?")};
        if (!s) return false;
        Bind(s, 1, id);
        int step;
        while ((step = sqlite3_step(s)) == SQLITE_ROW) touched.insert(Text(s, 0));
        if (!Done(step)) return false;
    }
    return Execute("DELETE FROM outcomes WHERE session=?", id) && Execute("DELETE FROM sessions WHERE id=?", id) &&
           (touched.empty() || Replay(child, &touched));
}

bool PracticeRecords::RenameChild(const std::string& from, const std::string& to) {
    if (from == to) return true;
    return Transaction([&] {
        // The two lists become one, as if one child had given all the answers in turn.
        return Execute("UPDATE sessions SET child=? WHERE child=?", to, from) &&
               Execute("UPDATE outcomes SET child=? WHERE child=?", to, from) &&
               Execute("DELETE FROM missed WHERE child=?", from) && Replay(to, nullptr);
    });
}

bool PracticeRecords::DeleteChild(const std::string& child) {
    return Transaction([&] {
        // A session a window is answering stays, with that window; everything else goes.
        return Execute("DELETE FROM sessions WHERE child=? AND state!=3", child) &&
               Execute("DELETE FROM outcomes WHERE child=?", child) && Execute("DELETE FROM missed WHERE child=?", child);
    });
}

bool PracticeRecords::Finish(std::int64_t id, const practice::Session& session, std::int64_t finishedMs, int day) {
    const practice::Result& result = session.result();
    return Transaction([&] {
        std::string child;
        if (!ChildOf("SELECT child FROM sessions WHERE id=?", id, child)) return false;
        // Only a session this program is answering: one handed in already is not counted twice.
        Statement s{Prepare("UPDATE sessions SET answers=?, elapsed_ms=?, state=1, finished_ms=?, right_count=?,"
                            " asked_count=?, claim=NULL WHERE id=? AND state=3 AND claim=?")};
        if (!s) return false;
        Bind(s, 1, JoinAnswers(session.answers()));
        Bind(s, 2, result.elapsedMs);
        Bind(s, 3, finishedMs);
        Bind(s, 4, result.right);
        Bind(s, 5, result.asked);
        Bind(s, 6, id);
        Bind(s, 7, m_claim);
        if (!ChangeOne(s)) return false;
        const practice::Outcome outcome = session.MissedAndRight();
        for (const Problem& problem : outcome.missed) {
            if (!Update(child, id, problem, false, day)) return false;
        }
        for (const Problem& problem : outcome.right) {
            if (!Update(child, id, problem, true, day)) return false;
        }
        return true;
    });
}

std::optional<std::set<std::string>> PracticeRecords::RecordedPaper(const std::vector<std::string>& keys) {
    std::set<std::string> recorded;
    Statement s{Prepare("SELECT 1 FROM sessions WHERE sheet_key=? AND state=1")};
    if (!s) return std::nullopt;
    for (const std::string& key : keys) {
        sqlite3_reset(s);
        Bind(s, 1, key);
        const int step = sqlite3_step(s);
        if (step == SQLITE_ROW) recorded.insert(key);
        else if (!Done(step)) return std::nullopt;
    }
    return recorded;
}

std::int64_t PracticeRecords::RecordPaper(const PaperSession& paper, int day) {
    std::int64_t id = 0;
    const bool committed = Transaction([&] {
        // The same sheet marked before (a rescan): its result and its part of the lists go
        // first, so that nothing counts twice.
        std::vector<std::int64_t> earlier;
        {
            Statement s{Prepare("SELECT id FROM sessions WHERE sheet_key=?")};
            if (!s) return false;
            Bind(s, 1, paper.key);
            int step;
            while ((step = sqlite3_step(s)) == SQLITE_ROW) earlier.push_back(sqlite3_column_int64(s, 0));
            if (!Done(step)) return false;
        }
        for (std::int64_t old : earlier) {
            if (!Remove(old)) return false;
        }
        Statement s{Prepare("INSERT INTO sessions(child, sheet, title, problems, answers, started_ms, elapsed_ms, state,"
                            " finished_ms, right_count, asked_count, made_ms, paper, sheet_key)"
                            " VALUES(?,?,?,?,?,?,?,1,?,?,?,?,1,?)")};
        if (!s) return false;
        Bind(s, 1, paper.child);
        Bind(s, 2, paper.sheet);
        Bind(s, 3, paper.title);
        Bind(s, 4, JoinProblems(paper.problems));
        Bind(s, 5, JoinAnswers(paper.answers));
        Bind(s, 6, paper.markedMs);
        Bind(s, 7, paper.elapsedMs);
        Bind(s, 8, paper.markedMs);
        Bind(s, 9, paper.right);
        Bind(s, 10, paper.asked);
        if (paper.madeMs) Bind(s, 11, paper.madeMs);
        Bind(s, 12, paper.key);
        const int step = sqlite3_step(s);
        if (step != SQLITE_DONE) return Fail(step);
        id = sqlite3_last_insert_rowid(m_db);
        // As after a sheet handed in on screen: the misses go on the child's list, and the
        // right answers count towards the days that take a problem off it.
        for (const Problem& problem : paper.outcome.missed) {
            if (!Update(paper.child, id, problem, false, day)) return false;
        }
        for (const Problem& problem : paper.outcome.right) {
            if (!Update(paper.child, id, problem, true, day)) return false;
        }
        return true;
    });
    return committed ? id : 0;
}

bool PracticeRecords::PutAside(std::int64_t id) {
    return Transaction([&] {
        Statement s{Prepare("UPDATE sessions SET state=2, claim=NULL WHERE id=? AND (state=0 OR (state=3 AND claim=?))")};
        if (!s) return false;
        Bind(s, 1, id);
        Bind(s, 2, m_claim);
        return ChangeOne(s);
    });
}

bool PracticeRecords::RecordDrilled(const std::string& child, std::int64_t session, const Problem& problem, bool right,
                                    int day) {
    return Transaction([&] { return Update(child, session, problem, right, day); });
}

bool PracticeRecords::Unfinished(std::optional<StoredSession>& session) {
    session.reset();
    // "state IN (0, 3)" is the open sessions' index's own condition: SQLite uses a partial
    // index only for a query that repeats it.
    Statement s{Prepare("SELECT id, child, sheet, title, problems, answers, started_ms, elapsed_ms FROM sessions"
                        " WHERE state IN (0, 3) AND state=0 ORDER BY started_ms DESC, id DESC LIMIT 1")};
    if (!s) return false;
    const int step = sqlite3_step(s);
    if (step != SQLITE_ROW) return Done(step);
    StoredSession& kept = session.emplace();
    kept.id = sqlite3_column_int64(s, 0);
    kept.child = Text(s, 1);
    kept.sheet = sqlite3_column_int(s, 2);
    kept.title = Text(s, 3);
    kept.problems = SplitProblems(Text(s, 4));
    kept.answers = SplitAnswers(Text(s, 5));
    kept.startedMs = sqlite3_column_int64(s, 6);
    kept.elapsedMs = sqlite3_column_int64(s, 7);
    return true;
}

std::optional<std::vector<std::string>> PracticeRecords::Children() {
    std::vector<std::string> children;
    Statement s{Prepare("SELECT child FROM sessions GROUP BY child ORDER BY MAX(started_ms) DESC")};
    if (!s) return std::nullopt;
    int step;
    while ((step = sqlite3_step(s)) == SQLITE_ROW) children.push_back(Text(s, 0));
    if (!Done(step)) return std::nullopt;
    return children;
}

std::optional<std::vector<PracticeRecords::FinishedSession>> PracticeRecords::Finished(const std::string& child) {
    std::vector<FinishedSession> sessions;
    Statement s{Prepare("SELECT id, sheet, finished_ms, elapsed_ms, right_count, asked_count,"
                        " coalesce(made_ms, started_ms), paper FROM sessions WHERE child=? AND state=1"
                        " ORDER BY finished_ms, id")};
    if (!s) return std::nullopt;
    Bind(s, 1, child);
    int step;
    while ((step = sqlite3_step(s)) == SQLITE_ROW) {
        sessions.push_back({sqlite3_column_int64(s, 0), sqlite3_column_int(s, 1), sqlite3_column_int64(s, 2),
                            sqlite3_column_int64(s, 3), sqlite3_column_int(s, 4), sqlite3_column_int(s, 5),
                            sqlite3_column_int64(s, 6), sqlite3_column_int(s, 7) != 0});
    }
    if (!Done(step)) return std::nullopt;
    return sessions;
}

std::optional<std::set<std::size_t>> PracticeRecords::FinishedSheets(const std::string& child,
                                                                     const std::vector<std::vector<Problem>>& sheets) {
    std::unordered_set<std::string> done;
    Statement s{Prepare("SELECT DISTINCT problems FROM sessions WHERE child=? AND state=1")};
    if (!s) return std::nullopt;
    Bind(s, 1, child);
    int step;
    while ((step = sqlite3_step(s)) == SQLITE_ROW) done.insert(Text(s, 0));
    if (!Done(step)) return std::nullopt;
    std::set<std::size_t> finished;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (done.count(JoinProblems(sheets[i]))) finished.insert(i);
    }
    return finished;
}

std::optional<std::vector<MissedEntry>> PracticeRecords::Entries(const char* sql, const std::string& child, int limit) {
    std::vector<MissedEntry> entries;
    Statement s{Prepare(sql)};
    if (!s) return std::nullopt;
    Bind(s, 1, child);
    Bind(s, 2, limit);
    int step;
    while ((step = sqlite3_step(s)) == SQLITE_ROW) {
        entries.push_back({{Text(s, 0), sqlite3_column_int(s, 1)}, sqlite3_column_int(s, 2), sqlite3_column_int(s, 3),
                           sqlite3_column_int(s, 4), sqlite3_column_int(s, 5) != 0});
    }
    if (!Done(step)) return std::nullopt;
    return entries;
}

std::optional<std::vector<MissedEntry>> PracticeRecords::MissedList(const std::string& child) {
    return Entries("SELECT problem, value, times_missed, right_days, last_right_day, retired FROM missed"
                   " WHERE child=? AND retired=0 ORDER BY times_missed DESC, problem LIMIT ?",
                   child, -1);
}

std::optional<std::vector<MissedEntry>> PracticeRecords::MostMissed(const std::string& child, int count) {
    return Entries("SELECT problem, value, times_missed, right_days, last_right_day, retired FROM missed"
                   " WHERE child=? ORDER BY times_missed DESC, problem LIMIT ?",
                   child, count);
}
