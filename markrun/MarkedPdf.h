#pragma once

#include <memory>
#include <string>

#include "MarkRun.h"

// The marked pages as a PDF to print and hand back: each recognised page as scanned,
// straightened, with ✓ at each right answer, ✗ and the right result at each wrong one, ? where
// a person is still to look, and the score after 得分:. Written under a private name and given
// its own once whole. With `replace` false an existing file is never replaced; with it true the
// user has agreed to replace it. Throws pellarin::DocumentError.
namespace markrun {

class MarkedPdf {
public:
    explicit MarkedPdf(const std::string& path, bool replace = false);
    ~MarkedPdf();
    void Add(const MarkedPage& page);  // pages that are no sheet are left out
    void Finish();
    int pages() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace markrun
