#pragma once
// Free routines the grid and its companion controls share: filter matching,
// number and date reading, the codecs that keep multi-line and wide text in
// one line, text classification, string tools, date arithmetic and the
// drawing helpers for cell graphics.
//
// Positions are 0-based; "absent" is -1. The routines keep no state; they read
// the locale (separators, short date and time formats) at each call, through
// Locale() below.

#include <functional>
#include <string>
#include <string_view>

#include "platform/gui/Graphics.h"
#include "platform/gui/LayeredWindows.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Types.h"

namespace ExtUtil {

// ---------------------------------------------------------------- locale
// The locale values the routines read: a view of the platform's FormatSettings.
struct TLocale {
  char ThousandSeparator = ',';
  char DecimalSeparator = '.';
  char DateSeparator = '/';
  std::string ShortDateFormat = "M/d/yyyy";
  std::string ShortTimeFormat = "h:mm AMPM";
};
// The values in force now.
TLocale Locale();
// Puts a locale's values into FormatSettings for the lifetime of the scope
// (tests, and readers of texts written under another locale).
class TLocaleScope {
 public:
  explicit TLocaleScope(const TLocale& Locale);
  TLocaleScope(const TLocaleScope&) = delete;
  TLocaleScope& operator=(const TLocaleScope&) = delete;

 private:
  TFormatSettingsScope saved_;
};

// ---------------------------------------------------------------- string tools
// Equal bounds: value unchanged; else max when max > 0 and value > max; else
// min when min > 0 and value < min; else value.
int ClampSize(int Value, int Min, int Max);
// System colours resolved, each channel halved.
TColor DarkenColor(TColor Color);
// Text upper-cased in its own encoding (UTF-8, else Windows-1252).
std::string UpperText(const std::string& Text);
// Position of Sub (as given) in the upper-cased Text.
int UpperPos(const std::string& Sub, const std::string& Text);
int CharPos(char Ch, const std::string& Text);
// As CharPos and VarPos's substring search, the result also stored in Position.
int VarCharPos(char Ch, const std::string& Text, int& Position);
int VarPos(const std::string& Sub, const std::string& Text, int& Position);
// Edges included.
bool PtInRectInclusive(const TRect& R, int X, int Y);
// With the delimiter in Source: the text before it, deleted from Source with the
// delimiter. Without: empty, Source unchanged.
std::string CutToken(std::string& Source, const std::string& Delimiter);
int Max(int A, int B);
int Min(int A, int B);
// The first character of Set standing outside double quotes (a character is
// quoted while the number of '"' seen so far, itself included, is odd), and
// its position; '\0' and -1 when there is none.
char FirstUnquotedCharOf(const std::string& Set, const std::string& Text, int& Position);
// "://" or "mailto:" in the text.
bool IsURL(const std::string& Text);
// Deletes through the first "://", else through "mailto:".
void StripURLPrefix(std::string& Text);
// "R<row>C<col>" in any case, at least 4 characters: Cell.X = column, Cell.Y = row.
bool ParseRCRef(const std::string& Text, TPoint& Cell);
// Every character (a whole character of UTF-8 text) becomes Ch.
void FillWithChar(std::string& Text, char Ch);
// OEM (code page 437) text to Windows-1252; characters without a byte get their
// nearest form ('+', '-', '|' for box lines) or '?'.
void OemToAnsiText(std::string& Text);
// With Ch in the text: a doubled Ch becomes one, a single one is dropped.
std::string UndoubleChar(char Ch, const std::string& Text);
// Drops the spaces outside double quotes.
std::string RemoveUnquotedSpaces(const std::string& Text);
std::string RemoveCR(const std::string& Text);
char LowerChar(char Ch);
int CountChar(char Ch, const std::string& Text);
// Position of the last character of the first run of Ch with odd length, also
// stored in Position; -1 when every run is even.
int FindOddRunEnd(char Ch, const std::string& Text, int& Position);
int CountOddRuns(char Ch, const std::string& Text);
// Character position of Sub in Text; -1 when absent or either is empty.
int WidePos(const std::u16string& Sub, const std::u16string& Text);
// The date separator stands at a position above 0 and again, above 0, in the rest behind it.
bool HasTwoDateSeparators(const std::string& Text);

// ---------------------------------------------------------------- text codecs
// Streams: CR becomes #9 and LF #8 when the text holds a CR; back again when it
// holds #8, keeping only the first line unless MultiLine.
std::string LinesToSingleLine(const std::string& Text);
std::string SingleLineToLines(const std::string& Text, bool MultiLine);
// Clipboard: CR LF becomes #11 and the text is wrapped in double quotes; #11 back to CR LF.
void QuoteMultiLine(std::string& Text);
void VTToLineBreaks(std::string& Text);
// Import: "~" becomes CR LF; a text that is then "^" becomes empty.
void TildeToLineBreaks(std::string& Text);
// "\n" (two characters) becomes CR.
std::string DecodeNewlineEscapes(const std::string& Text);
// The text before the first CR (all of it without one); Source loses it, the CR
// and one LF behind; without KeepRest Source is emptied.
std::string CutFirstLine(std::string& Source, bool KeepRest);
int LineCount(const std::string& Text, bool MultiLine);
// Wide text in an 8-bit cell: "|\" then two bytes per character, high byte first.
std::string EncodeWideText(const std::u16string& Text);
// Other text is read as UTF-8 when valid, else as Windows-1252.
std::u16string DecodeWideText(const std::string& Text);
// 0 plain, 1 markup, 2 rich text, 3 formula, 5 wide text.
int TextType(const std::string& Text, bool HTMLEnabled);

// ---------------------------------------------------------------- numbers, dates, filters
// Thousand separators removed, the decimal separator made ".".
std::string ToDotDecimal(const std::string& Text);
// Displayed number text ("(1,234.50)", "$ -12") as text a float conversion takes ("-1234.50", "-12").
std::string PlainNumberText(const std::string& Text);
// 0 integer, 1 float, 2 not a number.
int NumberTextKind(const std::string& Text);
// A date in the order of the short date format, fields split by the date separator;
// the year as written. False for anything else or an impossible date.
bool ParseShortDate(const std::string& Text, TDateTime& Date);
// Month/day/year and day/month/year with "/", "." or "-"; years up to 25 are
// 20xx, 26 to 99 19xx, longer years as written. 0 when the text is not a date.
TDateTime ParseDateMDY(const std::string& Text);
TDateTime ParseDateDMY(const std::string& Text);
// Only days: Date + Days. Only years, or only months (any number, carried into
// the year): the same day in that month, or the month's last day when it is
// shorter. Anything else: Date + Increment. The time of day is kept. Raises
// EConvertError when the year leaves 1..9999.
TDateTime AddToDate(int Years, int Months, int Days, int Increment, TDateTime Date);
// "o'neil mcdonald iii" -> "O'Neil McDonald III".
std::string CapitalizeName(const std::string& Text);
// One typed character in upper (lower) case, as the system's character set maps it.
char32_t CharInCase(char32_t Ch, bool Upper);
// A text in upper (lower) case character by character, as CharInCase maps each one.
std::string TextInCase(const std::string& Text, bool Upper);
// A filter expression: conditions joined by "&" (and) or ";", "^", "|" (or),
// folded left to right; "=" in front is ignored; spaces outside quotes are dropped.
bool MatchFilter(const std::string& Filter, const std::string& Value, bool CaseSensitive);
bool MatchCondition(const std::string& Condition, const std::string& Value, bool CaseSensitive);
// One condition: ">", ">=", "<", "<=" comparisons (dates, then numbers, then
// text), else a wildcard pattern ("*", "?", "\" escapes, "!" negates).
bool MatchStr(const std::string& Mask, const std::string& Text);

// ---------------------------------------------------------------- drawing
// The colour at Step between From (at Lo) and To (at Hi), each channel rounded
// and kept in 0..255; From when To is clNone or Lo equals Hi.
TColor BlendColor(TColor From, TColor To, int Lo, int Step, int Hi);
// Steps bands (at least 1) across the width (Horizontal) or height, each one
// pixel wider than its share; From alone when To is clNone.
void DrawGradient(TCanvas* Canvas, TColor From, TColor To, int Steps, const TRect& R, bool Horizontal);
// A bar of the percentage in Color with FontColor, the rest in Color2 with
// FontColor2, the text centred across both; then a frame in BorderColor
// (unless clNone) and one in the brush colour found on entry. With a format the
// text is Format(Fmt, Position) and the percentage (Position - Min) * 100 / Max.
void DrawProgressBar(TCanvas* Canvas, TRect R, TColor Color, bool Flip, TColor BorderColor, const std::string& Fmt,
                     int Max, int Min, int MarginY, int MarginX, int Position, TColor FontColor2, TColor Color2,
                     TColor FontColor);
// A bar from the centre: right in PosColor for Value >= 0, left in NegColor below.
void DrawSignedBar(TCanvas* Canvas, TRect R, int Value, TColor PosColor, TColor NegColor, bool ShowText, int Max);
// A grey ellipse with the sector from the top, clockwise, over Percent filled in Color.
void DrawProgressPie(TCanvas* Canvas, const TRect& R, TColor Color, bool Upward, int Percent);
// A red zig-zag, two pixels wide, under Count characters of Text from First, as
// the text stands at the rectangle's left and OffsetY below its top.
void DrawErrorUnderline(TCanvas* Canvas, const std::string& Text, int Count, int First, int OffsetY,
                        const TRect& R);
// A combo drop-down button; the visual style's "combobox" part when Themed, a
// window is given and the styles library can draw it, else the flat frame control.
void DrawComboButton(TCanvas* Canvas, HWND Wnd, TRect R, bool Themed);
// The bitmap copied into R with its Transparent colour replaced by the brush.
void DrawTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, TColor Transparent, const TRect& R);
// The same for a bitmap resource; raises EResNotFound when there is none.
void DrawTransparentResBitmap(TCanvas* Canvas, const std::string& ResName, TColor Transparent, const TRect& R);

// ---------------------------------------------------------------- cursor art
// The grid's own cursors (32 x 32): black shapes with a white rim, so they show on any
// background. A shape answers whether a pixel lies inside it.
using TCursorShape = std::function<bool(double X, double Y)>;
HCURSOR MakeCursorArt(const TCursorShape& Inside, int HotX, int HotY);
// An arrow pointing along +X with its tip at the origin.
bool ArrowRight(double X, double Y);

// ---------------------------------------------------------------- windows
constexpr DWORD ULW_COLORKEY = 1, ULW_ALPHA = 2, ULW_OPAQUE = 4;
// Per-pixel layered windows: the platform has none, so this reports success and does nothing.
bool UpdateLayeredWindow(HWND Wnd, TBitmap* Image, const TPoint* Position, BYTE Alpha, DWORD Flags);
// The platform's window-wide alpha (LWA_ALPHA); false when Wnd is no window.
bool SetLayeredWindowAttributes(HWND Wnd, TColor Key, BYTE Alpha, DWORD Flags);

// The plain text of a rich text as the rich text document reads it (UTF-8): paragraphs and line
// breaks become CR LF, table cells are separated by TAB.
std::string RtfPlainText(const std::string& Rtf);
// Plain text as markup that shows the same characters ("&", "<", ">" and quotes as entities,
// line breaks as "<BR>").
std::string PlainToMarkup(std::string_view Text);

}  // namespace ExtUtil
