#pragma once

// One PDF from several that the program's own PDF writer made, page after
// page in order. A bundle is painted in parts, each on a thread and into a
// PDF of its own, and joined here: the writer cannot take pages from more
// than one thread, and two cores paint a thousand statements in half the
// time.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

/// Why parts could not be joined: one of them is not a PDF as the
/// program's writer makes it. A fault of the program, not of the user's data.
class PdfJoinError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The pages of every part in order, under the first part's catalogue and
/// document information. Each part must be as Qt's PDF writer makes it:
/// a cross-reference table (no cross-reference streams), one tree of pages
/// with the pages as its kids, and objects in generation 0. Throws
/// PdfJoinError otherwise.
std::string JoinPdfs(const std::vector<std::string_view>& parts);
