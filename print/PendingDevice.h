#pragma once

#include <QIODevice>

#include "export/FilePlacement.h"

// A Qt writer's output (a PDF), straight into a private file that takes its name once whole;
// the first failure is kept with its system reason, so that it is reported in the same words
// as every other writer's.
class PendingDevice : public QIODevice {
public:
    explicit PendingDevice(pellarin::PendingFile& file) : m_file(file) { open(QIODevice::WriteOnly); }
    int failure() const { return m_failure; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (m_failure == 0) m_failure = m_file.Write(data, static_cast<std::size_t>(size));
        return m_failure == 0 ? size : -1;
    }

private:
    pellarin::PendingFile& m_file;
    int m_failure = 0;
};
