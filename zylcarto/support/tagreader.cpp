#include "zylcarto/support/tagreader.h"

#include <cctype>

#include "zylcarto/support/streams.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace {

// Characters one at a time from any source, with one character of look-ahead.
template <typename NextFn>
class TCharReader {
public:
    explicit TCharReader(NextFn next) : FNext(next) {}
    int Get() {
        if (FHavePeek) {
            FHavePeek = false;
            return FPeek;
        }
        return FNext();
    }
    int Peek() {
        if (!FHavePeek) {
            FPeek = FNext();
            FHavePeek = true;
        }
        return FPeek;
    }

private:
    NextFn FNext;
    int FPeek = -1;
    bool FHavePeek = false;
};

bool IsNameEnd(int c) { return c == -1 || c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Skips to the end of "-->"; false at the end of the input.
template <typename R>
bool SkipComment(R& r) {
    int dashes = 0;
    for (int c = r.Get(); c != -1; c = r.Get()) {
        if (c == '>' && dashes >= 2) return true;
        dashes = c == '-' ? dashes + 1 : 0;
    }
    return false;
}

// Reads the rest of an opening tag up to its ">", outside quotes. Returns false at
// the end of the input; SelfClosing tells whether it ended in "/>".
template <typename R>
bool ReadTagRest(R& r, std::string& Attributes, bool& SelfClosing) {
    bool inQuote = false;
    for (int c = r.Get(); c != -1; c = r.Get()) {
        if (c == '"') inQuote = !inQuote;
        if (c == '>' && !inQuote) {
            SelfClosing = !Attributes.empty() && Attributes.back() == '/';
            if (SelfClosing) Attributes.pop_back();
            return true;
        }
        Attributes += static_cast<char>(c);
    }
    return false;
}

// Collects the content up to "</name>" (compared without case), consuming the closing tag.
// One pass with the state of the closing tag being matched, so pathological content
// (">" without "<", "<" without ">") costs no more than any other.
template <typename R>
void ReadContent(R& r, const std::string& Name, std::string& Content) {
    const std::string closing = "</" + Name;
    std::size_t matched = 0;  // characters of `closing` matched so far, then past the name
    std::size_t start = 0;    // where the candidate closing tag begins in Content
    for (int c = r.Get(); c != -1; c = r.Get()) {
        Content += static_cast<char>(c);
        if (c == '<') {
            matched = 1;
            start = Content.size() - 1;
        } else if (matched == 0) {
            continue;
        } else if (matched < closing.size()) {
            const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            matched = lower == closing[matched] ? matched + 1 : 0;
        } else if (c == '>') {
            Content.resize(start);
            return;
        } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            matched = 0;  // a longer name: not the closing tag
        }
    }
}

template <typename NextFn>
std::uint8_t ReadNextTag(NextFn next, const TTagList& TagList, std::string& Attributes, std::string& Content) {
    const auto endIndex = static_cast<std::uint8_t>(TagList.empty() ? 0 : TagList.size() - 1);
    TCharReader<NextFn> r(next);
    Attributes.clear();
    Content.clear();
    for (;;) {
        int c = r.Get();
        while (c != -1 && c != '<') c = r.Get();
        if (c == -1) return endIndex;

        std::string name;
        while (!IsNameEnd(r.Peek()) || (name.empty() && r.Peek() == '/')) {
            name += static_cast<char>(r.Get());
            if (name == "!--") break;
        }
        if (name == "!--") {
            if (!SkipComment(r)) return endIndex;
            continue;
        }
        name = LowerCase(name);
        std::string attrs;
        bool selfClosing = false;
        if (!ReadTagRest(r, attrs, selfClosing)) return endIndex;

        int index = -1;
        for (std::size_t i = 0; i < TagList.size(); ++i)
            if (TagList[i] == name) index = static_cast<int>(i);
        if (index < 0 || static_cast<std::uint8_t>(index) == endIndex) continue;

        const std::size_t first = attrs.find_first_not_of(" \t\r\n");
        Attributes = first == std::string::npos ? std::string() : attrs.substr(first);
        while (!Attributes.empty() && (Attributes.back() == ' ' || Attributes.back() == '\t' ||
                                       Attributes.back() == '\r' || Attributes.back() == '\n'))
            Attributes.pop_back();

        const bool isClosing = name[0] == '/';
        bool container = false;
        for (auto t : TagList)
            if (t.size() == name.size() + 1 && t[0] == '/' && t.substr(1) == name) container = true;
        if (!isClosing && !selfClosing && !container) ReadContent(r, name, Content);
        return static_cast<std::uint8_t>(index);
    }
}

}  // namespace

std::uint8_t ReadNextTagInTextFile(TTextFile& Source, const TTagList& TagList, std::string& Attributes,
                                   std::string& Content) {
    return ReadNextTag([&Source] { return Source.ReadChar(); }, TagList, Attributes, Content);
}

std::uint8_t ReadNextTagInStream(TMemoryStream& Source, const TTagList& TagList, std::string& Attributes,
                                 std::string& Content) {
    return ReadNextTag([&Source] { return Source.ReadByte(); }, TagList, Attributes, Content);
}

}  // namespace zylcarto
