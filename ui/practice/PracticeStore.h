#pragma once

#include <QString>
#include <memory>

#include "records/PracticeRecords.h"

class QWidget;

// The practice records of this user, in practice.sqlite in the program's data folder. When the
// file cannot be used, practice goes on without saving: the user is told once, in a message
// that names the file and what to do, and records() is null.
class PracticeStore {
public:
    // Opens the file at `path`, or the user's own when empty.
    explicit PracticeStore(QString path = {});

    PracticeRecords* records() const { return m_records.get(); }
    const QString& path() const { return m_path; }
    // Why nothing is being saved, for the practice window to show; empty while saving.
    const QString& notSaving() const { return m_notSaving; }

    // Shows why the file could not be opened, if it could not.
    void ReportOpening(QWidget* parent);
    // A change failed to be written: the user is told, and saving stops for this session
    // rather than fail again on every keystroke. Returns `ok`.
    bool Check(bool ok, QWidget* parent);
    // The same for a read: what the file holds could not be read.
    bool CheckRead(bool ok, QWidget* parent);
    // A failed change, where no message can be shown (the window is going): saving stops.
    void Drop();

    enum class Stage { Opening, Reading, Writing };
    // What the user is told when the file at `path` could not be opened, read or written to.
    static QString Message(const QString& path, const PracticeRecords::Error& error, Stage stage);

    static QString DefaultPath();
    // Where tests keep their records.
    static void SetPathForTests(const QString& path);

private:
    bool Stop(Stage stage, QWidget* parent);
    // Saving stops, with the reason kept for the window; false when it had stopped already.
    bool Forget(Stage stage);

    QString m_path;
    std::unique_ptr<PracticeRecords> m_records;
    PracticeRecords::Error m_openError;
    QString m_notSaving;
};
