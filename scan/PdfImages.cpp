#include "PdfImages.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <exception>

namespace scan {
namespace {

std::vector<std::string> Filters(QPDFObjectHandle dict) {
    std::vector<std::string> out;
    QPDFObjectHandle filter = dict.getKey("/Filter");
    if (filter.isName()) out.push_back(filter.getName());
    if (filter.isArray()) {
        for (int i = 0; i < filter.getArrayNItems(); ++i) {
            if (filter.getArrayItem(i).isName()) out.push_back(filter.getArrayItem(i).getName());
        }
    }
    return out;
}

// Components of a colour space: 1 (grey), 3 (RGB), 0 for any other.
int Components(QPDFObjectHandle space) {
    if (space.isName()) return space.getName() == "/DeviceGray" || space.getName() == "/CalGray" ? 1
                               : space.getName() == "/DeviceRGB" || space.getName() == "/CalRGB" ? 3 : 0;
    if (space.isArray() && space.getArrayNItems() >= 2 && space.getArrayItem(0).isName()) {
        const std::string kind = space.getArrayItem(0).getName();
        if (kind == "/ICCBased" && space.getArrayItem(1).isStream()) {
            const int n = space.getArrayItem(1).getDict().getKey("/N").isInteger()
                              ? static_cast<int>(space.getArrayItem(1).getDict().getKey("/N").getIntValue()) : 0;
            return n == 1 || n == 3 ? n : 0;
        }
        if (kind == "/CalGray") return 1;
        if (kind == "/CalRGB") return 3;
    }
    return 0;
}

PdfPicture Picture(QPDFObjectHandle image) {
    PdfPicture out;
    QPDFObjectHandle dict = image.getDict();
    const long long width = dict.getKey("/Width").isInteger() ? dict.getKey("/Width").getIntValue() : 0;
    const long long height = dict.getKey("/Height").isInteger() ? dict.getKey("/Height").getIntValue() : 0;
    if (width <= 0 || height <= 0 || width > 30000 || height > 30000 || width * height > 200'000'000) {
        out.problem = "这一页的图像大小不对（" + std::to_string(width) + " × " + std::to_string(height) + "）";
        return out;
    }
    out.width = static_cast<int>(width), out.height = static_cast<int>(height);
    const std::vector<std::string> filters = Filters(dict);
    for (const std::string& f : filters) {
        if (f == "/JBIG2Decode" || f == "/CCITTFaxDecode" || f == "/JPXDecode") {
            out.problem = "这一页的图像是用 " + f.substr(1, f.size() - 7) +
                          " 压缩的黑白或 JPEG 2000 图像，本程序读不了：请用灰度或彩色扫描（JPEG 或 PNG），再批改";
            return out;
        }
    }
    if (!filters.empty() && filters.back() == "/DCTDecode") {
        // Any filters before it are undone; the JPEG itself is decoded as a JPEG file is.
        std::shared_ptr<Buffer> data = filters.size() == 1 ? image.getRawStreamData() : image.getStreamData(qpdf_dl_generalized);
        out.kind = PdfPicture::Kind::Jpeg;
        out.bytes.assign(data->getBuffer(), data->getBuffer() + data->getSize());
        return out;
    }
    const int components = Components(dict.getKey("/ColorSpace"));
    const long long bits = dict.getKey("/BitsPerComponent").isInteger() ? dict.getKey("/BitsPerComponent").getIntValue() : 0;
    if (components == 0 || (bits != 8 && bits != 1) || (bits == 1 && components != 1)) {
        out.problem = "这一页的图像的颜色格式本程序读不了：请用灰度或彩色扫描，再批改";
        return out;
    }
    std::shared_ptr<Buffer> data = image.getStreamData(qpdf_dl_generalized);
    const std::size_t stride = bits == 8 ? static_cast<std::size_t>(width) * components : (static_cast<std::size_t>(width) + 7) / 8;
    if (data->getSize() < stride * static_cast<std::size_t>(height)) {
        out.problem = "这一页的图像数据不完整";
        return out;
    }
    const unsigned char* p = data->getBuffer();
    if (bits == 8) {
        out.kind = components == 1 ? PdfPicture::Kind::Grey : PdfPicture::Kind::Rgb;
        out.bytes.assign(p, p + stride * height);
    } else {
        // One bit a pixel, 0 black unless the image says otherwise.
        QPDFObjectHandle decode = dict.getKey("/Decode");
        const bool inverted = decode.isArray() && decode.getArrayNItems() == 2 && decode.getArrayItem(0).isNumber() &&
                              decode.getArrayItem(0).getNumericValue() > 0.5;
        out.kind = PdfPicture::Kind::Grey;
        out.bytes.resize(static_cast<std::size_t>(width) * height);
        for (long long y = 0; y < height; ++y) {
            for (long long x = 0; x < width; ++x) {
                const bool one = (p[y * stride + x / 8] >> (7 - x % 8)) & 1;
                out.bytes[y * width + x] = (one != inverted) ? 255 : 0;
            }
        }
    }
    return out;
}

}  // namespace

int PdfPageCount(const std::string& path) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    try {
        pdf.processFile(path.c_str());
        return static_cast<int>(QPDFPageDocumentHelper(pdf).getAllPages().size());
    } catch (const std::exception&) {
        return 0;
    }
}

std::string ReadPdfPictures(const std::string& path, const std::function<bool(int, PdfPicture)>& page) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    std::vector<QPDFPageObjectHelper> pages;
    try {
        pdf.processFile(path.c_str());
        pages = QPDFPageDocumentHelper(pdf).getAllPages();
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password) return "PDF 有密码保护，请先去掉密码再批改";
        return "不是能读的 PDF 文件（" + e.getMessageDetail() + "）";
    } catch (const std::exception& e) {
        return std::string("不是能读的 PDF 文件（") + e.what() + "）";
    }
    if (pages.empty()) return "PDF 里没有页面";
    int number = 0;
    for (QPDFPageObjectHelper& helper : pages) {
        ++number;
        PdfPicture picture;
        try {
            // The page's largest picture is the scan; a scanning app may add a small logo.
            QPDFObjectHandle biggest;
            long long area = 0;
            for (auto& [name, image] : helper.getImages()) {
                QPDFObjectHandle dict = image.getDict();
                const long long w = dict.getKey("/Width").isInteger() ? dict.getKey("/Width").getIntValue() : 0;
                const long long h = dict.getKey("/Height").isInteger() ? dict.getKey("/Height").getIntValue() : 0;
                if (w * h > area) area = w * h, biggest = image;
            }
            if (area == 0) {
                picture.problem = "这一页没有扫描的图像（也许是直接打印成的 PDF，而不是扫描件）";
            } else {
                picture = Picture(biggest);
            }
        } catch (const std::exception& e) {
            picture = {};
            picture.problem = std::string("这一页的图像读不了（") + e.what() + "）";
        }
        if (!page(number, std::move(picture))) break;
    }
    return {};
}

}  // namespace scan
