#include "MarkRun.h"

#include <QByteArray>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "scan/PdfImages.h"

namespace markrun {
namespace {

// Pictures beyond this many pixels on their long side are no scan of an A4 page at 600 dpi
// (7,016); up to twice that they are scaled down as they are read, beyond it refused.
constexpr int kLongest = 7200;

scan::GreyImage Grey(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    scan::GreyImage out(grey.width(), grey.height());
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        std::copy(row, row + grey.width(), out.pixels.begin() + static_cast<std::ptrdiff_t>(y) * grey.width());
    }
    return out;
}

// A page's picture, decoded; or why not.
struct Picture {
    std::optional<scan::GreyImage> image;
    std::string problem;
};

Picture Decode(scan::PdfPicture&& pdf) {
    Picture out;
    switch (pdf.kind) {
        case scan::PdfPicture::Kind::Problem:
            out.problem = pdf.problem;
            break;
        case scan::PdfPicture::Kind::Jpeg: {
            QImage image = QImage::fromData(pdf.bytes.data(), static_cast<int>(pdf.bytes.size()), "JPEG");
            if (image.isNull()) {
                out.problem = "这一页的 JPEG 图像坏了，读不出来";
            } else {
                if (std::max(image.width(), image.height()) > kLongest) {
                    image = image.scaled(kLongest, kLongest, Qt::KeepAspectRatio, Qt::SmoothTransformation);
                }
                out.image = Grey(image);
            }
            break;
        }
        case scan::PdfPicture::Kind::Grey:
        case scan::PdfPicture::Kind::Rgb: {
            scan::GreyImage image(pdf.width, pdf.height);
            const bool rgb = pdf.kind == scan::PdfPicture::Kind::Rgb;
            for (std::size_t i = 0; i < image.pixels.size(); ++i) {
                image.pixels[i] = rgb ? static_cast<std::uint8_t>((pdf.bytes[3 * i] * 299 + pdf.bytes[3 * i + 1] * 587 +
                                                                    pdf.bytes[3 * i + 2] * 114 + 500) / 1000)
                                      : pdf.bytes[i];
            }
            out.image = std::move(image);
            break;
        }
    }
    return out;
}

Picture ReadPictureFile(const std::string& file) {
    Picture out;
    QImageReader reader(QString::fromUtf8(file));
    reader.setAutoTransform(true);  // a phone's photo stands as it was taken
    const QSize size = reader.size();
    if (size.isValid() && std::max(size.width(), size.height()) > 2 * kLongest) {
        out.problem = "图像太大（" + std::to_string(size.width()) + " × " + std::to_string(size.height()) +
                      " 像素），请用 600 dpi 以下的分辨率扫描";
        return out;
    }
    if (size.isValid() && std::max(size.width(), size.height()) > kLongest) {
        reader.setScaledSize(size.scaled(kLongest, kLongest, Qt::KeepAspectRatio));
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        out.problem = "图像读不出来（" + reader.errorString().toStdString() + "）";
        return out;
    }
    out.image = Grey(image);
    return out;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool IsPdf(const std::string& file) {
    QFile f(QString::fromUtf8(file));
    if (!f.open(QIODevice::ReadOnly)) return QFileInfo(f).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0;
    return f.read(1024).contains("%PDF-");
}

// Pages marked by worker threads, handed back in order. The pictures are decoded before they
// are handed over: the workers run plain C++ alone, never Qt, which on Windows does not take
// to threads it did not start.
class Workers {
public:
    Workers(int threads, bool keepStraight) : m_keepStraight(keepStraight) {
        for (int i = 0; i < threads; ++i) m_threads.emplace_back([this] { Work(); });
        m_limit = 2 * static_cast<std::size_t>(threads);
    }
    ~Workers() {
        {
            std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_wake.notify_all();
        for (std::thread& t : m_threads) t.join();
    }

    // Queues a page; hands on what is done in order, waiting while too many are in hand.
    void Add(MarkedPage page, Picture picture, bool wholeFile, const std::function<void(MarkedPage&)>& sink) {
        std::unique_lock lock(m_mutex);
        while (m_queue.size() + m_running + m_done.size() >= m_limit) {
            Deliver(lock, sink, false);
            if (m_queue.size() + m_running + m_done.size() >= m_limit) m_finished.wait(lock);
        }
        m_queue.push_back({m_next++, std::move(page), std::move(picture), wholeFile});
        m_wake.notify_one();
        Deliver(lock, sink, false);
    }
    void Finish(const std::function<void(MarkedPage&)>& sink) {
        std::unique_lock lock(m_mutex);
        Deliver(lock, sink, true);
    }

private:
    struct Task {
        std::size_t order;
        MarkedPage page;
        Picture picture;
        bool wholeFile;
    };

    void Work() {
        while (true) {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_closing || !m_queue.empty(); });
            if (m_queue.empty()) return;
            Task task = std::move(m_queue.front());
            m_queue.pop_front();
            ++m_running;
            lock.unlock();
            Picture& picture = task.picture;
            if (picture.image) {
                task.page.marks = scan::MarkPage(*picture.image, m_keepStraight);
            } else {
                task.page.marks.reason = picture.problem;
                // A picture file whose one picture cannot be read is a file not read at all.
                if (task.wholeFile) task.page.fileUnreadable = true, task.page.page = 0;
            }
            lock.lock();
            --m_running;
            task.picture = {};
            m_done.emplace(task.order, std::move(task.page));
            m_finished.notify_all();
        }
    }

    void Deliver(std::unique_lock<std::mutex>& lock, const std::function<void(MarkedPage&)>& sink, bool all) {
        while (true) {
            if (all) m_finished.wait(lock, [this] { return m_done.count(m_delivered) || m_delivered == m_next; });
            auto found = m_done.find(m_delivered);
            if (found == m_done.end()) return;
            MarkedPage page = std::move(found->second);
            m_done.erase(found);
            ++m_delivered;
            lock.unlock();
            sink(page);
            lock.lock();
        }
    }

    bool m_keepStraight;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_wake, m_finished;
    std::deque<Task> m_queue;
    std::map<std::size_t, MarkedPage> m_done;
    std::size_t m_next = 0, m_delivered = 0, m_running = 0, m_limit = 4;
    bool m_closing = false;
};

std::string Quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string out = "\"";
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string Row(std::initializer_list<std::string> fields) {
    std::string out;
    for (const std::string& f : fields) {
        if (!out.empty()) out += ',';
        out += Quoted(f);
    }
    return out + "\r\n";
}

}  // namespace

const char* VerdictText(scan::Verdict verdict) {
    switch (verdict) {
        case scan::Verdict::Right: return "对";
        case scan::Verdict::Wrong: return "错";
        case scan::Verdict::Doubtful: break;
    }
    return "待核";
}

int MarkFiles(const std::vector<std::string>& files, const Options& options,
              const std::function<void(MarkedPage&)>& sink, int& unreadableFiles) {
    unreadableFiles = 0;
    int unrecognised = 0;
    auto counted = [&](MarkedPage& page) {
        if (page.fileUnreadable) {
            ++unreadableFiles;
        } else if (!page.marks.recognised) {
            ++unrecognised;
        }
        sink(page);
    };
    const int threads = options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    Workers workers(threads, options.keepStraight);
    auto cancelled = [&] { return options.cancel && options.cancel->load(); };
    for (const std::string& file : files) {
        if (cancelled()) break;
        const QFileInfo info(QString::fromUtf8(file));
        std::string problem;
        if (!info.exists()) {
            problem = "文件不存在";
        } else if (!info.isFile() || !info.isReadable()) {
            problem = "文件读不了";
        } else if (info.size() == 0) {
            problem = "文件是空的（0 字节）";
        }
        if (problem.empty() && IsPdf(file)) {
            problem = scan::ReadPdfPictures(file, [&](int number, scan::PdfPicture picture) {
                if (cancelled()) return false;
                const auto start = std::chrono::steady_clock::now();
                Picture decoded = Decode(std::move(picture));
                MarkedPage page{file, number, {}, false, Seconds(start)};
                workers.Add(std::move(page), std::move(decoded), false, counted);
                return true;
            });
        } else if (problem.empty()) {
            const auto start = std::chrono::steady_clock::now();
            Picture decoded = ReadPictureFile(file);
            MarkedPage page{file, 1, {}, false, Seconds(start)};
            workers.Add(std::move(page), std::move(decoded), true, counted);
        }
        if (!problem.empty()) {
            workers.Finish(counted);
            MarkedPage page{file, 0, {}, true};
            page.marks.reason = problem;
            counted(page);
        }
    }
    workers.Finish(counted);
    return unrecognised;
}

std::string CsvHeader() { return "\xEF\xBB\xBF" + Row({"文件", "页", "份", "姓名", "题号", "题目", "答案", "读作", "判定"}); }

std::string CsvRows(const MarkedPage& page) {
    const std::string file = QFileInfo(QString::fromUtf8(page.file)).fileName().toStdString();
    const std::string number = page.page > 0 ? std::to_string(page.page) : "";
    if (!page.marks.recognised) return Row({file, number, "", "", "", "", "", page.marks.reason, "无法识别"});
    std::string out;
    const marking::CodedSheet& sheet = page.marks.sheet;
    for (const scan::ProblemMark& mark : page.marks.marks) {
        std::string read;
        if (!mark.result) {
            read = "（没有答题框）";
        } else if (mark.reading.blank) {
            read = "（空白）";
        } else {
            read = mark.reading.digits;
            if (!mark.reading.doubt.empty()) read += read.empty() ? mark.reading.doubt : "（" + mark.reading.doubt + "）";
        }
        out += Row({file, number, std::to_string(sheet.sheet), sheet.name, std::to_string(mark.number), mark.problem,
                    mark.result ? std::to_string(*mark.result) : "", read, VerdictText(mark.verdict)});
    }
    return out;
}

}  // namespace markrun
