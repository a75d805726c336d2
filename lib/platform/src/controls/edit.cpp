#include "kestrova/platform/edit.h"

#include <algorithm>
#include <cwctype>

#include "controls/control_look.h"
#include "controls/control_procs.h"
#include "controls/edit_undo.h"
#include "drawing/text_layout.h"
#include "kestrova/platform/clipboard.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/scroll.h"
#include "kestrova/platform/text.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {
namespace detail {
namespace {

constexpr char32_t kDefaultMask = U'\u2022';

// The text is kept as code points, so positions, limits and the caret count
// characters; the window's text holds the same as UTF-8.
struct EditState : ControlBase {
    std::u32string text;
    int anchor = 0;
    int caret = 0;
    int limit = kDefaultEditLimit;
    char32_t mask = 0;
    int inputMode = kInputText;
    bool modified = false;
    bool capEdit = false;
    bool upcaseFirst = false;
    bool upcaseNext = false;
    int scrollX = 0;     // single-line: pixels hidden on the left
    int firstLine = 0;   // multi-line: the top visible line
    int preferredX = -1; // the column Up and Down keep
    bool caretHidden = false; // the off half of a blink
    EditUndo undo;
};

// The caret blinks while the field has the focus, and shows steadily again
// (the blink starting over) whenever it moves or the text changes.
constexpr uintptr_t kCaretTimer = 0xCA7;
constexpr uint32_t kCaretBlinkMs = 530;

void restartBlink(HWND hwnd, EditState& s) {
    s.caretHidden = false;
    if (focusWindow() == hwnd) setTimer(hwnd, kCaretTimer, kCaretBlinkMs);
}

struct View {
    std::string shown;           // UTF-8 as drawn (masked for passwords)
    std::vector<size_t> offsets; // byte offset of each character, and the end
    Rect area;                   // where text goes, in client pixels
    std::unique_ptr<TextLayout> layout;
};

bool isMultiLine(HWND hwnd) {
    return windowStyle(hwnd) & ES_MULTILINE;
}

// NOTE: a single-line field never holds a line break, so what it gives can
// go into a one-line header or setting as it is.
void fitToStyle(HWND hwnd, std::u32string& text) {
    if (!isMultiLine(hwnd)) std::erase_if(text, [](char32_t c) { return c == U'\r' || c == U'\n'; });
}
bool isReadOnly(HWND hwnd) {
    return windowStyle(hwnd) & ES_READONLY;
}
int selStart(const EditState& s) {
    return std::min(s.anchor, s.caret);
}
int selEnd(const EditState& s) {
    return std::max(s.anchor, s.caret);
}
int length(const EditState& s) {
    return static_cast<int>(s.text.size());
}

// Inside the frame and its focus ring; a single line keeps the field's
// whole height, so a tall font is never cut.
Rect textArea(HWND hwnd) {
    int frame = 2 * controlLine(), pad = controlPadding();
    return clientRect(hwnd).inset(frame + pad, isMultiLine(hwnd) ? frame + pad : frame);
}

View makeView(HWND hwnd, const EditState& s) {
    View v;
    v.offsets.reserve(s.text.size() + 1);
    for (char32_t c : s.text) {
        v.offsets.push_back(v.shown.size());
        v.shown += toUtf8(std::u32string(1, s.mask ? s.mask : c));
    }
    v.offsets.push_back(v.shown.size());
    v.area = textArea(hwnd);
    v.layout = std::make_unique<TextLayout>(fontOf(s), v.shown, isMultiLine(hwnd) ? v.area.width() : -1);
    return v;
}

int charAtByte(const View& v, size_t byte) {
    auto it = std::upper_bound(v.offsets.begin(), v.offsets.end(), byte);
    return static_cast<int>(it - v.offsets.begin()) - 1;
}

size_t byteOf(const View& v, int index) {
    return v.offsets[static_cast<size_t>(index)];
}

int visibleLines(HWND hwnd, const EditState& s) {
    return std::max(1, textArea(hwnd).height() / std::max(1, fontOf(s).lineHeight()));
}

// The top-left of the layout in client pixels.
Point layoutOrigin(HWND hwnd, const EditState& s, const View& v) {
    if (isMultiLine(hwnd)) return {v.area.left, v.area.top - v.layout->lineTop(s.firstLine)};
    int lineHeight = v.layout->lineHeight(0);
    int x = v.area.left - s.scrollX;
    uint32_t align = windowStyle(hwnd) & (ES_CENTER | ES_RIGHT);
    int spare = v.area.width() - v.layout->size().width;
    if (spare > 0 && align == ES_RIGHT)
        x = v.area.right - v.layout->size().width - 1;
    else if (spare > 0 && align == ES_CENTER)
        x = v.area.left + spare / 2;
    return {x, v.area.top + (v.area.height() - lineHeight) / 2};
}

void updateScrollBar(HWND hwnd, const EditState& s, const View& v) {
    if (!(windowStyle(hwnd) & WS_VSCROLL)) return;
    ScrollInfo info;
    info.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.max = v.layout->lineCount() - 1;
    info.page = static_cast<unsigned>(visibleLines(hwnd, s));
    info.pos = s.firstLine;
    setScrollInfo(hwnd, SB_VERT, info);
}

void setFirstLine(HWND hwnd, EditState& s, const View& v, int line) {
    int last = std::max(0, v.layout->lineCount() - visibleLines(hwnd, s));
    int clamped = std::clamp(line, 0, last);
    if (clamped != s.firstLine) {
        s.firstLine = clamped;
        notifyParent(hwnd, EN_VSCROLL);
    }
    updateScrollBar(hwnd, s, v);
}

// Scrolls so the caret is seen: sideways in a single line, by lines in a
// multi-line edit.
void showCaret(HWND hwnd, EditState& s) {
    restartBlink(hwnd, s);
    View v = makeView(hwnd, s);
    Rect caret = v.layout->caretAt(byteOf(v, s.caret));
    if (isMultiLine(hwnd)) {
        int line = v.layout->lineOf(byteOf(v, s.caret));
        int visible = visibleLines(hwnd, s);
        int first = s.firstLine;
        if (line < first)
            first = line;
        else if (line >= first + visible)
            first = line - visible + 1;
        setFirstLine(hwnd, s, v, first);
    } else {
        int width = std::max(1, v.area.width() - 1);
        int textWidth = v.layout->size().width;
        int before = s.scrollX;
        if (caret.left - s.scrollX < 0)
            s.scrollX = caret.left;
        else if (caret.left - s.scrollX > width)
            s.scrollX = caret.left - width;
        s.scrollX = std::clamp(s.scrollX, 0, std::max(0, textWidth - width));
        if (s.scrollX != before) notifyParent(hwnd, EN_HSCROLL);
    }
    invalidateRect(hwnd, nullptr, false);
}

void changed(HWND hwnd, EditState& s, bool byUser = true) {
    s.modified = byUser;
    setWindowText(hwnd, toUtf8(s.text));
    showCaret(hwnd, s);
    notifyParent(hwnd, EN_UPDATE);
    notifyParent(hwnd, EN_CHANGE);
}

// Removes the selection and puts the text in its place, as much of it as the
// limit leaves room for. Returns false when the text did not change.
bool replaceSelection(HWND hwnd, EditState& s, std::u32string insert, EditChange kind = EditChange::kOther) {
    int start = selStart(s), end = selEnd(s);
    int room = std::max(0, s.limit - (length(s) - (end - start)));
    bool cut = static_cast<int>(insert.size()) > room;
    if (cut) insert.resize(static_cast<size_t>(room));
    // A line break is never cut in half.
    if (cut && !insert.empty() && insert.back() == U'\r') insert.pop_back();
    if (cut) notifyParent(hwnd, EN_MAXTEXT);
    if (insert.empty() && start == end) return false;
    s.undo.remember(s.text, s.anchor, s.caret, {kind, start, end, start + static_cast<int>(insert.size())});
    s.text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), insert);
    s.anchor = s.caret = start + static_cast<int>(insert.size());
    s.preferredX = -1;
    changed(hwnd, s);
    return true;
}

bool isLineBreakAt(const EditState& s, int i) {
    return i >= 0 && i + 1 < length(s) && s.text[static_cast<size_t>(i)] == U'\r' &&
           s.text[static_cast<size_t>(i) + 1] == U'\n';
}

// One step left or right, never into the middle of "\r\n".
int stepLeft(const EditState& s, int i) {
    return std::max(0, isLineBreakAt(s, i - 2) ? i - 2 : i - 1);
}
int stepRight(const EditState& s, int i) {
    return std::min(length(s), isLineBreakAt(s, i) ? i + 2 : i + 1);
}

bool isBlank(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n';
}

int wordLeft(const EditState& s, int i) {
    while (i > 0 && isBlank(s.text[static_cast<size_t>(i) - 1]))
        --i;
    while (i > 0 && !isBlank(s.text[static_cast<size_t>(i) - 1]))
        --i;
    return i;
}

int wordRight(const EditState& s, int i) {
    while (i < length(s) && !isBlank(s.text[static_cast<size_t>(i)]))
        ++i;
    while (i < length(s) && isBlank(s.text[static_cast<size_t>(i)]))
        ++i;
    return i;
}

void deleteBackward(HWND hwnd, EditState& s) {
    if (selStart(s) == selEnd(s)) s.anchor = stepLeft(s, s.caret);
    replaceSelection(hwnd, s, {}, EditChange::kDeleting);
}

void deleteForward(HWND hwnd, EditState& s) {
    if (selStart(s) == selEnd(s)) s.anchor = stepRight(s, s.caret);
    replaceSelection(hwnd, s, {}, EditChange::kDeleting);
}

// The caret one visual line up or down (lines < 0 up), keeping its column.
int lineMove(HWND hwnd, EditState& s, int lines) {
    View v = makeView(hwnd, s);
    Rect caret = v.layout->caretAt(byteOf(v, s.caret));
    if (s.preferredX < 0) s.preferredX = caret.left;
    int line = std::clamp(v.layout->lineOf(byteOf(v, s.caret)) + lines, 0, v.layout->lineCount() - 1);
    return charAtByte(v, v.layout->byteAt({s.preferredX, v.layout->lineTop(line) + 1}));
}

int lineEdge(HWND hwnd, const EditState& s, bool end) {
    View v = makeView(hwnd, s);
    int line = v.layout->lineOf(byteOf(v, s.caret));
    int edge = charAtByte(v, end ? v.layout->lineEnd(line) : v.layout->lineStart(line));
    // A wrapped line ends in the blank it broke at; the caret stays before it.
    if (end && line + 1 < v.layout->lineCount() && edge > 0 &&
        edge == charAtByte(v, v.layout->lineStart(line + 1)) &&
        isBlank(s.text[static_cast<size_t>(edge) - 1]))
        --edge;
    return edge;
}

void moveCaret(HWND hwnd, EditState& s, int to, bool extend, bool keepColumn = false) {
    s.caret = std::clamp(to, 0, length(s));
    if (!extend) s.anchor = s.caret;
    if (!keepColumn) s.preferredX = -1;
    showCaret(hwnd, s);
}

// Where Left / Right go without Shift: a selection collapses to its side.
int collapsedOrStep(const EditState& s, bool right, bool byWord) {
    if (selStart(s) != selEnd(s)) return right ? selEnd(s) : selStart(s);
    if (byWord) return right ? wordRight(s, s.caret) : wordLeft(s, s.caret);
    return right ? stepRight(s, s.caret) : stepLeft(s, s.caret);
}

// The clipboard keys go through their messages, so a program that
// subclasses the edit sees a paste however it comes. Besides Ctrl with C, X,
// V and Z, the older chords: Ctrl+Insert copies, Shift+Insert pastes and
// Shift+Delete cuts.
std::optional<uint32_t> clipboardMessageOf(uint32_t key, bool ctrl, bool shift) {
    if (key == VK_INSERT && ctrl != shift) return ctrl ? WM_COPY : WM_PASTE;
    if (key == VK_DELETE && shift && !ctrl) return WM_CUT;
    if (!ctrl) return std::nullopt;
    switch (key) {
    case VK_C:
        return WM_COPY;
    case VK_X:
        return WM_CUT;
    case VK_V:
        return WM_PASTE;
    case VK_Z:
        return WM_UNDO;
    default:
        return std::nullopt;
    }
}

void onKeyDown(HWND hwnd, EditState& s, uint32_t key) {
    bool shift = keyIsDown(VK_SHIFT), ctrl = keyIsDown(VK_CONTROL);
    bool multi = isMultiLine(hwnd);
    if (auto message = clipboardMessageOf(key, ctrl, shift)) {
        sendMessage(hwnd, *message);
        return;
    }
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT: {
        bool right = key == VK_RIGHT;
        int to = shift ? (ctrl ? (right ? wordRight(s, s.caret) : wordLeft(s, s.caret))
                               : (right ? stepRight(s, s.caret) : stepLeft(s, s.caret)))
                       : collapsedOrStep(s, right, ctrl);
        moveCaret(hwnd, s, to, shift);
        break;
    }
    case VK_UP:
    case VK_DOWN:
        if (multi) moveCaret(hwnd, s, lineMove(hwnd, s, key == VK_UP ? -1 : 1), shift, true);
        break;
    case VK_PRIOR:
    case VK_NEXT:
        if (multi) {
            int page = visibleLines(hwnd, s);
            moveCaret(hwnd, s, lineMove(hwnd, s, key == VK_PRIOR ? -page : page), shift, true);
        }
        break;
    case VK_HOME:
        moveCaret(hwnd, s, ctrl || !multi ? 0 : lineEdge(hwnd, s, false), shift);
        break;
    case VK_END:
        moveCaret(hwnd, s, ctrl || !multi ? length(s) : lineEdge(hwnd, s, true), shift);
        break;
    case VK_DELETE:
        if (!isReadOnly(hwnd)) deleteForward(hwnd, s);
        break;
    case VK_BACK:
    case VK_ESCAPE:
        if (!isReadOnly(hwnd)) deleteBackward(hwnd, s);
        break;
    case VK_A:
        if (ctrl) {
            s.anchor = 0;
            moveCaret(hwnd, s, length(s), true);
        }
        break;
    default:
        break;
    }
}

bool acceptsDigitsOnly(HWND hwnd, const EditState& s) {
    return (windowStyle(hwnd) & ES_NUMBER) || s.inputMode == kInputNumbers;
}

// ES_UPPERCASE / ES_LOWERCASE; nothing when the style asks for neither.
std::optional<char32_t> styledCase(HWND hwnd, char32_t c) {
    uint32_t style = windowStyle(hwnd);
    if (style & ES_UPPERCASE) return static_cast<char32_t>(std::towupper(static_cast<wint_t>(c)));
    if (style & ES_LOWERCASE) return static_cast<char32_t>(std::towlower(static_cast<wint_t>(c)));
    return std::nullopt;
}

char32_t applyCase(HWND hwnd, EditState& s, char32_t c) {
    if (auto styled = styledCase(hwnd, c)) return *styled;
    if (!s.capEdit || !std::iswalpha(static_cast<wint_t>(c))) return c;
    bool first = s.upcaseFirst && std::all_of(s.text.begin(), s.text.begin() + selStart(s), isBlank);
    if (!first && !s.upcaseNext) return c;
    s.upcaseNext = false;
    return static_cast<char32_t>(std::towupper(static_cast<wint_t>(c)));
}

bool enterInserts(HWND hwnd) {
    if (!isMultiLine(hwnd)) return false;
    return (windowStyle(hwnd) & ES_WANTRETURN) || keyIsDown(VK_SHIFT) || keyIsDown(VK_CONTROL);
}

void onChar(HWND hwnd, EditState& s, char32_t c) {
    if (isReadOnly(hwnd)) return;
    if (c == U'\r') {
        if (enterInserts(hwnd)) replaceSelection(hwnd, s, U"\r\n");
        return;
    }
    // Control characters (Back and Backspace were handled as keys) are not text.
    if (c < 0x20 || c == 0x7F) return;
    if (acceptsDigitsOnly(hwnd, s) && (c < U'0' || c > U'9')) return;
    replaceSelection(hwnd, s, std::u32string(1, applyCase(hwnd, s, c)), EditChange::kTyping);
}

bool isDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

bool isLineBreak(char32_t c) {
    return c == U'\r' || c == U'\n' || c == U'\u2028' || c == U'\u2029';
}

// C0 and C1 controls and DEL; a tab is text.
bool isControl(char32_t c) {
    return c != U'\t' && (c < 0x20 || (c >= 0x7F && c < 0xA0));
}

// What a paste puts in. Line breaks come in any of the usual forms; a
// multi-line edit keeps each as it types one ("\r\n"). A single line gets a
// space for each instead: the words on either side stay apart and no line
// is silently dropped. Other control characters go, as they do when typed;
// ill-formed UTF-8 is skipped.
std::u32string pastable(HWND hwnd, std::string_view utf8) {
    std::u32string in = toCodePoints(utf8), out;
    std::u32string_view lineBreak = isMultiLine(hwnd) ? U"\r\n" : U" ";
    for (size_t i = 0; i < in.size(); ++i) {
        char32_t c = in[i];
        if (c == U'\r' && i + 1 < in.size() && in[i + 1] == U'\n') continue; // the '\n' makes the break
        if (isLineBreak(c))
            out += lineBreak;
        else if (!isControl(c))
            out += styledCase(hwnd, c).value_or(c);
    }
    return out;
}

std::u32string selectedText(const EditState& s) {
    return s.text.substr(static_cast<size_t>(selStart(s)), static_cast<size_t>(selEnd(s) - selStart(s)));
}

// A password edit keeps its text off the clipboard, where any program could
// read it.
bool copySelection(const EditState& s) {
    if (s.mask || selStart(s) == selEnd(s)) return false;
    return setClipboardText(toUtf8(selectedText(s)));
}

void cutSelection(HWND hwnd, EditState& s) {
    if (!isReadOnly(hwnd) && copySelection(s)) replaceSelection(hwnd, s, {});
}

void paste(HWND hwnd, EditState& s) {
    if (isReadOnly(hwnd)) return;
    auto text = clipboardText();
    if (!text) return;
    std::u32string insert = pastable(hwnd, *text);
    if (insert.empty()) return;
    if (acceptsDigitsOnly(hwnd, s) && !std::all_of(insert.begin(), insert.end(), isDigit)) return;
    replaceSelection(hwnd, s, std::move(insert));
}

// Returns whether there was a step to take.
bool undo(HWND hwnd, EditState& s) {
    if (isReadOnly(hwnd)) return false;
    auto back = s.undo.swap({s.text, s.anchor, s.caret});
    if (!back) return false;
    s.text = std::move(back->text);
    s.anchor = back->anchor;
    s.caret = back->caret;
    s.preferredX = -1;
    changed(hwnd, s);
    return true;
}

std::optional<LResult> onClipboardMessage(HWND hwnd, EditState& s, uint32_t message) {
    switch (message) {
    case WM_COPY:
        copySelection(s);
        return 0;
    case WM_CUT:
        cutSelection(hwnd, s);
        return 0;
    case WM_PASTE:
        paste(hwnd, s);
        return 0;
    case WM_CLEAR:
        if (!isReadOnly(hwnd)) replaceSelection(hwnd, s, {});
        return 0;
    case WM_UNDO:
    case EM_UNDO:
        return undo(hwnd, s) ? 1 : 0;
    case EM_CANUNDO:
        return s.undo.canUndo() && !isReadOnly(hwnd) ? 1 : 0;
    case EM_EMPTYUNDOBUFFER:
        s.undo.clear();
        return 0;
    default:
        return std::nullopt;
    }
}

LResult dialogCode(HWND hwnd, const EditState& s, const Msg* msg) {
    LResult code = DLGC_WANTCHARS | DLGC_HASSETSEL;
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_CHAR)) return code | DLGC_WANTARROWS;
    bool multi = isMultiLine(hwnd);
    switch (msg->wParam) {
    case VK_LEFT:
    case VK_RIGHT:
        return code | DLGC_WANTARROWS;
    case VK_UP:
    case VK_DOWN: {
        if (!multi) return code;
        View v = makeView(hwnd, s);
        int line = v.layout->lineOf(byteOf(v, s.caret));
        bool atEdge = msg->wParam == VK_UP ? line == 0 : line == v.layout->lineCount() - 1;
        return atEdge ? code : code | DLGC_WANTARROWS;
    }
    case VK_ESCAPE:
        return !s.text.empty() && !isReadOnly(hwnd) ? code | DLGC_WANTMESSAGE : code;
    case VK_RETURN:
        return enterInserts(hwnd) ? code | DLGC_WANTMESSAGE : code;
    default:
        return code;
    }
}

void paint(HWND hwnd, EditState& s) {
    PaintScope scope(hwnd);
    DeviceContext& dc = scope.dc();
    bool focused = focusWindow() == hwnd, enabled = isEnabled(hwnd);
    drawField(dc, clientRect(hwnd), focused, enabled, isReadOnly(hwnd));
    View v = makeView(hwnd, s);
    bool showSelection = focused || (windowStyle(hwnd) & ES_NOHIDESEL);
    if (showSelection && selStart(s) != selEnd(s))
        v.layout->highlight(byteOf(v, selStart(s)), byteOf(v, selEnd(s)),
                            focused ? colours::kHighlight : look::kInactiveSelection,
                            focused ? colours::kHighlightText : colours::kWindowText);
    Point origin = layoutOrigin(hwnd, s, v);
    // Only whole lines of a multi-line edit are shown.
    Rect shown = v.area.inset(-1, 0);
    if (isMultiLine(hwnd)) shown.bottom = v.area.top + visibleLines(hwnd, s) * fontOf(s).lineHeight();
    DeviceContext::ClipGuard clip(dc, shown);
    v.layout->draw(dc, origin, enabled ? colours::kWindowText : colours::kGrayText);
    if (focused && !s.caretHidden) {
        Rect caret = v.layout->caretAt(byteOf(v, s.caret)).offset(origin.x, origin.y);
        dc.fillRect({caret.left, caret.top, caret.left + controlLine(), caret.bottom}, colours::kWindowText);
    }
}

void setText(HWND hwnd, EditState& s, const char* utf8) {
    s.text = toCodePoints(utf8 ? utf8 : "");
    fitToStyle(hwnd, s.text);
    // The caret goes to the end, where a phone user goes on typing.
    s.anchor = s.caret = length(s);
    s.scrollX = 0;
    s.firstLine = 0;
    s.undo.clear();
    changed(hwnd, s, false);
}

void onPointer(HWND hwnd, EditState& s, uint32_t message, LParam lParam) {
    if (message == WM_LBUTTONUP) {
        if (captureWindow() == hwnd) releaseCapture();
        return;
    }
    if (message == WM_MOUSEMOVE && captureWindow() != hwnd) return;
    if (message != WM_MOUSEMOVE && focusWindow() != hwnd) setFocus(hwnd);
    View v = makeView(hwnd, s);
    Point origin = layoutOrigin(hwnd, s, v);
    int at = charAtByte(v, v.layout->byteAt({xOf(lParam) - origin.x, yOf(lParam) - origin.y}));
    if (message == WM_LBUTTONDBLCLK) {
        s.anchor = wordLeft(s, std::min(at + 1, length(s)));
        while (s.anchor < at && isBlank(s.text[static_cast<size_t>(s.anchor)]))
            ++s.anchor;
        moveCaret(hwnd, s, wordRight(s, at), true);
        return;
    }
    bool extend = message == WM_MOUSEMOVE || keyIsDown(VK_SHIFT);
    if (message == WM_LBUTTONDOWN) setCapture(hwnd);
    moveCaret(hwnd, s, at, extend);
}

void scrollLines(HWND hwnd, EditState& s, WParam request) {
    View v = makeView(hwnd, s);
    auto line = scrollTarget(request, s.firstLine, 1, visibleLines(hwnd, s));
    if (!line) return;
    setFirstLine(hwnd, s, v, *line);
    invalidateRect(hwnd, nullptr, false);
}

std::optional<LResult> onEditMessage(HWND hwnd, EditState& s, uint32_t message, WParam wParam,
                                     LParam lParam) {
    switch (message) {
    case EM_GETSEL:
        if (wParam) *reinterpret_cast<int*>(wParam) = selStart(s);
        if (lParam) *reinterpret_cast<int*>(lParam) = selEnd(s);
        return makeLParam(selStart(s), selEnd(s));
    case EM_SETSEL: {
        int anchor = static_cast<int>(static_cast<intptr_t>(wParam)), caret = static_cast<int>(lParam);
        if (anchor == -1) anchor = caret = s.caret;
        if (caret < 0) caret = length(s);
        s.anchor = std::clamp(anchor, 0, length(s));
        moveCaret(hwnd, s, caret, true);
        return 0;
    }
    case EM_REPLACESEL: {
        std::u32string insert = toCodePoints(lParam ? reinterpret_cast<const char*>(lParam) : "");
        fitToStyle(hwnd, insert);
        replaceSelection(hwnd, s, std::move(insert));
        if (!wParam) s.undo.clear(); // the program said this change is not to be undone
        return 0;
    }
    case EM_LIMITTEXT:
        s.limit = wParam == 0 ? kDefaultEditLimit : static_cast<int>(std::min<WParam>(wParam, 0x7FFFFFFF));
        return 0;
    case EM_GETLIMITTEXT:
        return s.limit;
    case EM_GETMODIFY:
        return s.modified ? 1 : 0;
    case EM_SETMODIFY:
        s.modified = wParam != 0;
        return 0;
    case EM_SETPASSWORDCHAR:
        s.mask = static_cast<char32_t>(wParam);
        setWindowStyle(hwnd, s.mask ? windowStyle(hwnd) | ES_PASSWORD : windowStyle(hwnd) & ~ES_PASSWORD);
        invalidateRect(hwnd, nullptr, false);
        return 0;
    case EM_GETPASSWORDCHAR:
        return static_cast<LResult>(s.mask);
    case EM_SETREADONLY:
        setWindowStyle(hwnd, wParam ? windowStyle(hwnd) | ES_READONLY : windowStyle(hwnd) & ~ES_READONLY);
        invalidateRect(hwnd, nullptr, false);
        return 1;
    case EM_SETINPUTMODE:
        s.inputMode = static_cast<int>(lParam);
        return 0;
    case EM_GETINPUTMODE:
        return s.inputMode;
    case EM_GETFIRSTVISIBLELINE:
        return isMultiLine(hwnd) ? s.firstLine : 0;
    case EM_SCROLLCARET:
        showCaret(hwnd, s);
        return 1;
    case EM_SCROLL:
        scrollLines(hwnd, s, wParam);
        return 1;
    case EM_LINESCROLL:
        scrollLines(hwnd, s, makeWParam(SB_THUMBPOSITION, s.firstLine + static_cast<int>(lParam)));
        return 1;
    default:
        break;
    }
    View v = makeView(hwnd, s);
    auto lineOfChar = [&](WParam w) {
        int index = static_cast<intptr_t>(w) < 0 ? s.caret : std::min(static_cast<int>(w), length(s));
        return v.layout->lineOf(byteOf(v, index));
    };
    switch (message) {
    case EM_GETLINECOUNT:
        return v.layout->lineCount();
    case EM_LINEFROMCHAR:
        return lineOfChar(wParam);
    case EM_LINEINDEX: {
        int line = static_cast<intptr_t>(wParam) < 0 ? lineOfChar(wParam) : static_cast<int>(wParam);
        if (line >= v.layout->lineCount()) return -1;
        return charAtByte(v, v.layout->lineStart(line));
    }
    case EM_LINELENGTH: {
        int line = lineOfChar(wParam);
        return charAtByte(v, v.layout->lineEnd(line)) - charAtByte(v, v.layout->lineStart(line));
    }
    default:
        return std::nullopt;
    }
}

// Focus starts and stops the blink; the common handling of focus goes on.
std::optional<LResult> onCaretMessage(HWND hwnd, EditState& s, uint32_t message, WParam wParam) {
    switch (message) {
    case WM_SETFOCUS:
        s.caretHidden = false;
        setTimer(hwnd, kCaretTimer, kCaretBlinkMs);
        return std::nullopt;
    case WM_KILLFOCUS:
        killTimer(hwnd, kCaretTimer);
        s.caretHidden = false;
        return std::nullopt;
    case WM_TIMER:
        if (wParam != kCaretTimer) return std::nullopt;
        s.caretHidden = !s.caretHidden;
        invalidateRect(hwnd, nullptr, false);
        return 0;
    default:
        return std::nullopt;
    }
}

std::optional<LResult> onCapEditMessage(EditState& s, uint32_t message, WParam wParam) {
    if (!s.capEdit) return std::nullopt;
    if (message == CEM_UPCASENEXTWORD)
        s.upcaseNext = wParam != 0;
    else if (message == CEM_ENABLEUPCASE)
        s.upcaseFirst = wParam != 0;
    else
        return std::nullopt;
    return 0;
}

void onCreate(HWND hwnd, EditState& s, const CreateParams& params) {
    s.capEdit = params.className == kCapEditClass;
    if (params.style & ES_PASSWORD) s.mask = kDefaultMask;
    if (params.style & ES_NUMBER) s.inputMode = kInputNumbers;
    s.text = toCodePoints(params.title);
    fitToStyle(hwnd, s.text);
    s.anchor = s.caret = length(s);
    setWindowText(hwnd, toUtf8(s.text));
}

} // namespace

LResult editProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    auto s = stateFor<EditState>(hwnd, message);
    if (!s) return defWindowProc(hwnd, message, wParam, lParam);
    if (message == WM_CREATE) {
        onCreate(hwnd, *s, *reinterpret_cast<const CreateParams*>(lParam));
        return 0;
    }
    if (auto r = onCaretMessage(hwnd, *s, message, wParam)) return *r;
    if (auto r = handleCommonMessage(hwnd, *s, message, wParam, lParam, {EN_SETFOCUS, EN_KILLFOCUS}))
        return *r;
    if (auto r = onEditMessage(hwnd, *s, message, wParam, lParam)) return *r;
    if (auto r = onCapEditMessage(*s, message, wParam)) return *r;
    if (auto r = onClipboardMessage(hwnd, *s, message)) return *r;
    switch (message) {
    case WM_PAINT:
        paint(hwnd, *s);
        return 0;
    case WM_SETTEXT:
        setText(hwnd, *s, reinterpret_cast<const char*>(lParam));
        return 1;
    case WM_GETDLGCODE:
        return dialogCode(hwnd, *s, reinterpret_cast<const Msg*>(lParam));
    case WM_KEYDOWN:
        onKeyDown(hwnd, *s, static_cast<uint32_t>(wParam));
        return 0;
    case WM_CHAR:
        onChar(hwnd, *s, static_cast<char32_t>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
        onPointer(hwnd, *s, message, lParam);
        return 0;
    case WM_VSCROLL:
        if (isMultiLine(hwnd)) scrollLines(hwnd, *s, wParam);
        return 0;
    case WM_MOUSEWHEEL:
        if (!isMultiLine(hwnd)) return defWindowProc(hwnd, message, wParam, lParam);
        // Three lines a notch; the caret stays where it is.
        scrollLines(hwnd, *s, makeWParam(SB_THUMBPOSITION, s->firstLine - wheelLines(wParam)));
        return 0;
    case WM_SIZE:
        showCaret(hwnd, *s);
        return 0;
    default:
        return defWindowProc(hwnd, message, wParam, lParam);
    }
}

} // namespace detail

std::pair<int, int> editSelection(HWND edit) {
    int start = 0, end = 0;
    sendMessage(edit, EM_GETSEL, reinterpret_cast<WParam>(&start), reinterpret_cast<LParam>(&end));
    return {start, end};
}

void setEditSelection(HWND edit, int anchor, int caret) {
    sendMessage(edit, EM_SETSEL, static_cast<WParam>(static_cast<intptr_t>(anchor)), caret);
}

bool isPasswordEdit(HWND edit) {
    auto s = detail::controlStateOf<detail::EditState>(edit);
    return s && s->mask != 0;
}

std::string editDisplayText(HWND edit) {
    auto s = detail::controlStateOf<detail::EditState>(edit);
    if (!s) return windowText(edit);
    return s->mask ? toUtf8(std::u32string(s->text.size(), s->mask)) : toUtf8(s->text);
}

} // namespace kestrova::platform
