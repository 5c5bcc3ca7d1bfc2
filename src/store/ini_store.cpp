// How it is put together: IniLine scans one line into its parts (line end, comment, content,
// kind) exactly once; reading, finding a section and writing are walks over those lines.
// A write builds the complete new file in memory and hands it to ReplaceFileContents, which
// writes a temporary file beside the target and moves it over, so a failed write loses nothing.
// A UTF-8 byte-order mark that an editor put at the start is not part of the first line: every
// walk starts after it, and a write keeps it in front.
#include "store/ini_store.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ascii.h"
#include "store/atomic_file.h"

namespace lirra {

namespace {

// A file bigger than this is treated like one whose text can't be allocated.
constexpr long kMaxFileSize = 64L * 1024 * 1024;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool NamesEqual(std::string_view a, const char* b) { return EqualsFoldingAscii(a, b); }

// Where the first line begins: after a byte-order mark, when the text starts with one.
size_t FirstLine(std::string_view text) { return text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

enum class LineKind { Blank, Section, Key, Other };

struct IniLine {
  size_t start = 0;         // first byte of the line
  size_t commentStart = 0;  // where the comment begins, or lineEnd without one
  size_t contentEnd = 0;    // just after the content's last byte that is not a blank
  size_t lineEnd = 0;       // first byte of the line end (or the end of the text)
  size_t next = 0;          // start of the following line
  LineKind kind = LineKind::Blank;
  std::string_view name;   // section name or key, trimmed
  std::string_view value;  // a key line's value, trimmed
};

IniLine ScanLine(std::string_view text, size_t start) {
  IniLine line;
  line.start = start;

  size_t end = start;
  while (end < text.size() && text[end] != '\r' && text[end] != '\n' && text[end] != '\0') ++end;
  line.lineEnd = end;
  line.next = end;
  if (end < text.size()) {
    char c = text[end];
    line.next = end + 1;
    if (line.next < text.size() && ((c == '\r' && text[line.next] == '\n') || (c == '\n' && text[line.next] == '\r')))
      ++line.next;
  }

  bool inSingle = false, inDouble = false;
  line.commentStart = end;
  for (size_t i = start; i < end; ++i) {
    char c = text[i];
    if (c == '\'' && !inDouble) {
      inSingle = !inSingle;
    } else if (c == '"' && !inSingle) {
      inDouble = !inDouble;
    } else if ((c == ';' || c == '#') && !inSingle && !inDouble) {
      line.commentStart = i;
      break;
    }
  }

  size_t textStart = start;
  while (textStart < line.commentStart &&
         (IsBlank(text[textStart]) || std::strchr("'\";#", text[textStart]) != nullptr))
    ++textStart;
  if (textStart == line.commentStart) return line;  // blank

  std::string_view content = text.substr(textStart, line.commentStart - textStart);
  while (!content.empty() && IsBlank(content.back())) content.remove_suffix(1);
  line.contentEnd = textStart + content.size();

  if (content.size() > static_cast<size_t>(kIniMaxContent)) {
    line.kind = LineKind::Other;
  } else if (content.front() == '[' && content.back() == ']') {
    line.kind = LineKind::Section;
    line.name = Trim(content.substr(1, content.size() - 2));
  } else if (size_t eq = content.find('='); eq != std::string_view::npos) {
    line.kind = LineKind::Key;
    line.name = Trim(content.substr(0, eq));
    line.value = Trim(content.substr(eq + 1));
  } else {
    line.kind = LineKind::Other;
  }
  return line;
}

// Where a section lies in the text, for writing.
struct SectionSpan {
  size_t bodyStart = 0;               // the line after the header (unnamed section: its first key line)
  size_t sectionEnd = 0;              // just after the line end of its last header or key line
  bool lastLineUnterminated = false;  // that last line ends the text without a line end
};

std::optional<SectionSpan> FindSection(std::string_view text, const char* section) {
  std::optional<SectionSpan> span;
  for (size_t pos = FirstLine(text); pos < text.size();) {
    IniLine line = ScanLine(text, pos);
    pos = line.next;
    if (line.kind == LineKind::Section) {
      if (span || !section) break;
      if (NamesEqual(line.name, section)) span = SectionSpan{line.next, line.next, line.next == line.lineEnd};
    } else if (line.kind == LineKind::Key) {
      if (!span && !section) span = SectionSpan{line.start, line.start, false};
      if (span) {
        span->sectionEnd = line.next;
        span->lastLineUnterminated = line.next == line.lineEnd;
      }
    }
  }
  return span;
}

void CopyOut(std::string_view value, char* out, int outSize) {
  if (!out || outSize < 1) return;
  size_t n = value.size() < static_cast<size_t>(outSize - 1) ? value.size() : static_cast<size_t>(outSize - 1);
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
}

int ReadFromText(std::string_view text, const char* section, const char* key, char* out, int outSize,
                 const char* defaultValue) {
  if (!key) {
    CopyOut("", out, outSize);
    return 0;
  }
  bool entered = false;
  for (size_t pos = FirstLine(text); pos < text.size();) {
    IniLine line = ScanLine(text, pos);
    pos = line.next;
    if (line.kind == LineKind::Section) {
      if (entered || !section) break;
      entered = NamesEqual(line.name, section);
    } else if (line.kind == LineKind::Key) {
      if (!entered && !section) entered = true;
      if (!entered || !NamesEqual(line.name, key)) continue;
      if (line.value.empty()) break;
      CopyOut(line.value, out, outSize);
      return 1;
    }
  }
  CopyOut(defaultValue ? defaultValue : "", out, outSize);
  return 0;
}

class IniStore {
 public:
  std::recursive_mutex mutex;

  int Load(const char* path) {
    Free();
    if (!path || std::strlen(path) > static_cast<size_t>(kIniMaxPath)) return -1;
    fileName_ = path;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return -1;
    // A folder opens as a stream on some systems but can't be read: it is no file.
    if (std::fgetc(file) == EOF && std::ferror(file)) {
      std::fclose(file);
      return -1;
    }
    int result = ReadText(file);
    std::fclose(file);
    return result;
  }

  int Read(const char* section, const char* key, char* out, int outSize, const char* defaultValue) const {
    if (!text_) {
      CopyOut("", out, outSize);
      return 0;
    }
    return ReadFromText(*text_, section, key, out, outSize, defaultValue);
  }

  int Write(const char* section, const char* key, const char* value) {
    if (!text_ || !key) return 0;
    std::optional<std::string> bytes = Rewritten(section, key, value);
    if (!bytes || !ReplaceFileContents(fileName_, *bytes)) return 0;
    std::string name = fileName_;
    Load(name.c_str());
    return 1;
  }

  void Free() { text_.reset(); }

 private:
  int ReadText(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return 0;
    long size = std::ftell(file);
    if (size < 0 || size > kMaxFileSize || std::fseek(file, 0, SEEK_SET) != 0) return 0;
    std::string text(static_cast<size_t>(size), '\0');
    text.resize(std::fread(&text[0], 1, text.size(), file));
    text_ = std::move(text);
    return 1;
  }

  // The complete new file, or nothing when there is nothing to write.
  std::optional<std::string> Rewritten(const char* section, const char* key, const char* value) const {
    const std::string& text = *text_;
    std::optional<SectionSpan> span = FindSection(text, section);
    if (!span) {
      if (!value) return std::nullopt;
      if (!section) {  // a new unnamed section goes first
        const size_t first = FirstLine(text);
        return text.substr(0, first) + key + " = " + value + "\n" + text.substr(first);
      }
      std::optional<std::string> disk = ReadFileBytes(fileName_, kMaxFileSize);  // appending adds to what is on disk
      return disk.value_or("") + "\n[" + section + "]\n" + key + " = " + value + "\n";
    }
    for (size_t pos = span->bodyStart; pos < span->sectionEnd;) {
      IniLine line = ScanLine(text, pos);
      pos = line.next;
      if (line.kind != LineKind::Key || !NamesEqual(line.name, key)) continue;
      if (!value) return text.substr(0, line.start) + text.substr(line.next);
      // The blanks before a comment stay with it; without a comment, trailing blanks go.
      size_t kept = line.commentStart < line.lineEnd ? line.contentEnd : line.lineEnd;
      return text.substr(0, line.start) + key + " = " + value + text.substr(kept);
    }
    if (!value) return std::nullopt;
    std::string separator = span->lastLineUnterminated ? "\n" : "";
    return text.substr(0, span->sectionEnd) + separator + key + " = " + value + "\n" + text.substr(span->sectionEnd);
  }

  std::string fileName_;
  std::optional<std::string> text_;
};

IniStore& Store() {
  static IniStore* store = new IniStore();  // never freed: workers may use it until exit
  return *store;
}

}  // namespace

int IniLoadFile(const char* path) {
  auto lock = LockIniStore();
  return Store().Load(path);
}

int IniReadString(const char* section, const char* key, char* out, int outSize, const char* defaultValue) {
  auto lock = LockIniStore();
  return Store().Read(section, key, out, outSize, defaultValue);
}

int IniWriteString(const char* section, const char* key, const char* value) {
  auto lock = LockIniStore();
  return Store().Write(section, key, value);
}

void IniFreeFile() {
  auto lock = LockIniStore();
  Store().Free();
}

int IniReadStringFromText(std::string_view text, const char* section, const char* key, char* out, int outSize,
                          const char* defaultValue) {
  return ReadFromText(text, section, key, out, outSize, defaultValue);
}

std::unique_lock<std::recursive_mutex> LockIniStore() { return std::unique_lock<std::recursive_mutex>(Store().mutex); }

}  // namespace lirra
