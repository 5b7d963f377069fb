#pragma once
// The reading of an Internet shortcut file for the favourites import, apart from the file system: the
// file's bytes go in, its URL line comes out. Plain C++ (no Windows header), so it also builds natively
// for sanitizers and fuzzing.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qs::app::urlfile {

// A favourite's URL is kept to 255 characters; in the ANSI code pages a character takes up to four
// bytes, so no line needs more than this many bytes after its "URL=".
inline constexpr std::size_t kKeptUrlBytes = 255 * 4;

// Finds the first line of a file that begins with "URL=" (those four characters, case-sensitively, at
// the line's start), fed the file in pieces of any size. A line ends at CR, at CR LF, or at the end of
// the file; a lone LF belongs to the line. Memory stays bounded whatever the file holds.
class UrlLineFinder {
public:
    // The next piece of the file. True once the URL line has ended; later pieces are ignored.
    bool feed(std::string_view piece);
    // The end of the file, which ends the line being read.
    void finish();

    bool found() const { return mode_ == Mode::Found; }
    // The found line less its "URL=", as the file's bytes, cut to kKeptUrlBytes.
    const std::string& url() const { return url_; }

private:
    enum class Mode { Prefix, Skip, Collect, Found };
    void endLine();

    Mode mode_ = Mode::Prefix;
    std::size_t matched_ = 0;  // characters of "URL=" matched at the start of the current line
    bool afterCr_ = false;     // the last byte was a CR: a LF now belongs to that line end
    std::string url_;
};

// The URL line of a whole file, when it has one.
std::optional<std::string> findUrlLine(std::string_view content);

// A favourite's name from a file name: the name less its last four characters (as the W APIs count
// them, in UTF-16 units), whatever the extension is; nullopt for a name shorter than that.
std::optional<std::string> nameOfFile(std::string_view utf8Name);

// UTF-8 text cut to at most `units` UTF-16 units, never inside a character.
std::string cutToUnits(std::string_view utf8, std::size_t units);

}  // namespace qs::app::urlfile
