#pragma once
// Exceptions, conversions, formatting, strings, dates, locale settings and
// file-name helpers. Positions in strings are 0-based; "not found" is -1.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// ---------------------------------------------------------------------------
// Argument lists for Format: each argument carries its own type, so a format
// string that asks for more or other arguments than given raises EConvertError
// instead of reading past the list.

class TVarRec {
 public:
  enum TKind { vtInteger, vtUnsigned, vtExtended, vtString, vtChar, vtBoolean, vtPointer };

  TVarRec(int v) : kind_(vtInteger), i_(v) {}
  TVarRec(long v) : kind_(vtInteger), i_(v) {}
  TVarRec(long long v) : kind_(vtInteger), i_(v) {}
  TVarRec(short v) : kind_(vtInteger), i_(v) {}
  TVarRec(signed char v) : kind_(vtInteger), i_(v) {}
  TVarRec(unsigned v) : kind_(vtInteger), i_(v) {}
  TVarRec(unsigned short v) : kind_(vtInteger), i_(v) {}
  TVarRec(unsigned char v) : kind_(vtInteger), i_(v) {}
  TVarRec(unsigned long v) : kind_(vtUnsigned), u_(v) {}
  TVarRec(unsigned long long v) : kind_(vtUnsigned), u_(v) {}
  TVarRec(double v) : kind_(vtExtended), d_(v) {}
  TVarRec(float v) : kind_(vtExtended), d_(v) {}
  TVarRec(long double v) : kind_(vtExtended), d_(static_cast<double>(v)) {}
  TVarRec(const char* v) : kind_(vtString), s_(v ? v : "") {}
  TVarRec(std::string v) : kind_(vtString), s_(std::move(v)) {}
  TVarRec(std::string_view v) : kind_(vtString), s_(v) {}
  TVarRec(char v) : kind_(vtChar), s_(1, v) {}
  TVarRec(bool v) : kind_(vtBoolean), i_(v ? 1 : 0) {}
  TVarRec(const void* v) : kind_(vtPointer), p_(v) {}

  TKind Kind() const { return kind_; }
  int64_t AsInteger() const { return i_; }
  uint64_t AsUnsigned() const { return u_; }
  double AsExtended() const { return d_; }
  const std::string& AsString() const { return s_; }
  const void* AsPointer() const { return p_; }

 private:
  TKind kind_;
  union {
    int64_t i_;
    uint64_t u_;
    double d_;
    const void* p_;
  };
  std::string s_;
};

using TVarArgs = std::vector<TVarRec>;

// ---------------------------------------------------------------------------
// Exceptions

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  // Message built with Format(fmt, args).
  Exception(const std::string& fmt, const TVarArgs& args);
  const std::string& Message() const { return message_; }
  void SetMessage(const std::string& message) { message_ = message; }
  const char* what() const noexcept override { return message_.c_str(); }
  int HelpContext = 0;

 private:
  std::string message_;
};

#define RTL_EXCEPTION(Name, Base)  \
  class Name : public Base {       \
   public:                         \
    using Base::Base;              \
  };

// Silent exception: the application's handler shows nothing for it.
RTL_EXCEPTION(EAbort, Exception)
RTL_EXCEPTION(EConvertError, Exception)
RTL_EXCEPTION(EListError, Exception)
RTL_EXCEPTION(EStringListError, EListError)
RTL_EXCEPTION(EStreamError, Exception)
RTL_EXCEPTION(EFCreateError, EStreamError)
RTL_EXCEPTION(EFOpenError, EStreamError)
RTL_EXCEPTION(EReadError, EStreamError)
RTL_EXCEPTION(EWriteError, EStreamError)
RTL_EXCEPTION(EInvalidOperation, Exception)
RTL_EXCEPTION(EOutOfResources, Exception)
RTL_EXCEPTION(EOutOfMemory, Exception)
RTL_EXCEPTION(EComponentError, Exception)
RTL_EXCEPTION(EInvalidCast, Exception)
RTL_EXCEPTION(EInvalidPointer, Exception)
RTL_EXCEPTION(EOSError, Exception)
RTL_EXCEPTION(EIntError, Exception)
RTL_EXCEPTION(EDivByZero, EIntError)
RTL_EXCEPTION(ERangeError, EIntError)
RTL_EXCEPTION(EIntOverflow, EIntError)
RTL_EXCEPTION(EMathError, Exception)
RTL_EXCEPTION(EZeroDivide, EMathError)
RTL_EXCEPTION(EOverflow, EMathError)
RTL_EXCEPTION(EInvalidArgument, EMathError)
RTL_EXCEPTION(EIniFileException, Exception)
RTL_EXCEPTION(ERegistryException, Exception)

// Input/output error of text files and file routines, with the error code.
class EInOutError : public Exception {
 public:
  EInOutError(int code, std::string message) : Exception(std::move(message)), ErrorCode(code) {}
  // Message from the code: "File not found", "File access denied", "I/O error %d", ...
  explicit EInOutError(int code);
  int ErrorCode;
};
// Text of an input/output error code.
std::string InOutErrorMessage(int code);

#undef RTL_EXCEPTION

// Raises EAbort with "Operation aborted".
[[noreturn]] void Abort();

// ---------------------------------------------------------------------------
// Locale settings. Tests change them; conversions read them at each use.

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  char ListSeparator = ',';
  std::string ShortDateFormat = "M/d/yyyy";
  std::string LongDateFormat = "dddd, MMMM d, yyyy";
  std::string ShortTimeFormat = "h:mm AMPM";
  std::string LongTimeFormat = "h:mm:ss AMPM";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::string CurrencyString = "$";
  int CurrencyFormat = 0;  // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  int NegCurrFormat = 0;   // 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", ...
  int CurrencyDecimals = 2;
  int TwoDigitYearCenturyWindow = 50;
  std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string LongMonthNames[12] = {"January", "February", "March",     "April",
                                    "May",     "June",     "July",      "August",
                                    "September", "October", "November", "December"};
  std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::string LongDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
};

// The settings in force. They start as the defaults above, so runs are alike
// everywhere; the program takes the user's with LoadSystemFormatSettings.
extern TFormatSettings FormatSettings;

// Settings of a system locale ("" = the user's, from the environment); the defaults
// when the locale is not installed.
TFormatSettings FormatSettingsForLocale(const std::string& localeName);
void LoadSystemFormatSettings();
// A date or time pattern of the C library ("%d.%m.%Y") in this library's form
// ("dd/mm/yyyy"); the pattern's first separator is stored in `separator` and becomes
// '/' (dates) or ':' (times) in the result.
std::string PatternFromStrftime(std::string_view pattern, char& separator, bool isTime);

// Restores the default settings for the lifetime of a scope, then puts back the previous ones.
class TFormatSettingsScope {
 public:
  TFormatSettingsScope() : saved_(FormatSettings) {}
  ~TFormatSettingsScope() { FormatSettings = saved_; }
  TFormatSettingsScope(const TFormatSettingsScope&) = delete;
  TFormatSettingsScope& operator=(const TFormatSettingsScope&) = delete;

 private:
  TFormatSettings saved_;
};

// ---------------------------------------------------------------------------
// Formatting. Specifiers: %[index:][-][width][.precision]type with type d u x
// e f g n m p s; width, precision and index may be '*'. "%%" is a percent sign.
// A bad or unmatched specifier raises EConvertError.

std::string Format(const std::string& fmt, const TVarArgs& args);

// ---------------------------------------------------------------------------
// Integer conversions

std::string IntToStr(int64_t value);
std::string UIntToStr(uint64_t value);
// Upper-case hexadecimal, at least `digits` digits.
std::string UIntToHex(uint64_t value, int digits);
// Negative values as the two's complement of their own width ("FF" for a char of -1,
// "FFFFFFFF" for an int of -1); types narrower than 32 bits never widen their sign.
template <class T>
  requires std::is_integral_v<T>
std::string IntToHex(T value, int digits) {
  using U = std::make_unsigned_t<T>;
  return UIntToHex(static_cast<uint64_t>(static_cast<U>(value)), digits);
}
// Outside data quoted in a message: at most maxChars bytes, a longer text cut with "...";
// control bytes (NUL among them) shown as \xNN.
std::string Excerpt(std::string_view s, size_t maxChars = 40);
// Decimal, or hexadecimal after "$", "0x" or "0X"; leading blanks and a sign allowed.
// Raises EConvertError "'%s' is not a valid integer value".
int StrToInt(const std::string& s);
int64_t StrToInt64(const std::string& s);
int StrToIntDef(const std::string& s, int def);
int64_t StrToInt64Def(const std::string& s, int64_t def);
bool TryStrToInt(const std::string& s, int& value);
bool TryStrToInt64(const std::string& s, int64_t& value);
std::string BoolToStr(bool b, bool useBoolStrs = false);
bool StrToBool(const std::string& s);
bool TryStrToBool(const std::string& s, bool& value);

// ---------------------------------------------------------------------------
// Floating-point conversions (decimal separator from FormatSettings)

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

std::string FloatToStr(double value);
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// Picture format: sections "pos;neg;zero", placeholders 0 and #, '.', ',', E+ E- e+ e-,
// literals in quotes.
std::string FormatFloat(const std::string& fmt, double value);
std::string CurrToStr(double value);
// Raises EConvertError "'%s' is not a valid floating point value".
double StrToFloat(const std::string& s);
double StrToFloatDef(const std::string& s, double def);
bool TryStrToFloat(const std::string& s, double& value);

// ---------------------------------------------------------------------------
// Arithmetic

// Nearest integer, halves to even.
int64_t Round(double value);
// Drops the fraction toward zero.
int64_t Trunc(double value);
double Frac(double value);
double Int(double value);
// value * numerator / denominator computed in 64 bits and rounded to nearest
// (halves away from zero); -1 when the denominator is 0 or the result does not fit.
int MulDiv(int value, int numerator, int denominator);

// Pseudo-random numbers: a 32-bit linear congruential generator with the seed in
// RandSeed, so a set seed gives the same sequence on every run.
extern uint32_t RandSeed;
// Seeds from the clock.
void Randomize();
// 0 <= result < range (0 for range <= 0).
int Random(int range);
// 0 <= result < 1.
double Random();

// ---------------------------------------------------------------------------
// Strings

// Removes leading and trailing characters up to and including the blank.
std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
// ASCII letters only.
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);
// Windows-1252 letters too; a UTF-8 text changes case by characters.
std::string AnsiUpperCase(const std::string& s);
std::string AnsiLowerCase(const std::string& s);
// <0, 0, >0 with ASCII letters compared without case.
int CompareText(std::string_view a, std::string_view b);
int CompareStr(const std::string& a, const std::string& b);
bool SameText(std::string_view a, std::string_view b);
// The locale's comparisons (LocaleCompare.h); ...Text ignores case, AnsiSameStr compares bytes.
int AnsiCompareText(const std::string& a, const std::string& b);
int AnsiCompareStr(const std::string& a, const std::string& b);
bool AnsiSameText(const std::string& a, const std::string& b);
bool AnsiSameStr(const std::string& a, const std::string& b);

// 0-based index of the first occurrence of sub in s at or after `offset`, or -1.
int Pos(const std::string& sub, const std::string& s, int offset = 0);
int AnsiPos(const std::string& sub, const std::string& s);
// Up to `count` characters from 0-based `index`; out-of-range parts are clipped.
std::string Copy(const std::string& s, int index, int count);
// Removes up to `count` characters from 0-based `index`; out of range does nothing.
void Delete(std::string& s, int index, int count);
// Inserts sub before 0-based `index` (clipped to the string).
void Insert(const std::string& sub, std::string& s, int index);
std::string StringOfChar(char c, int count);
std::string DupeString(const std::string& s, int count);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
std::string StringReplace(const std::string& s, const std::string& oldPattern,
                          const std::string& newPattern, TReplaceFlags flags);

// 'text' with inner quotes doubled.
std::string QuotedStr(const std::string& s);
std::string AnsiQuotedStr(const std::string& s, char quote);
// Reads a quoted string starting at s[pos] (which must be the quote), undoubling
// inner quotes; pos moves past the closing quote (or to the end when unclosed).
// Returns "" and leaves pos alone when s[pos] is not the quote.
std::string AnsiExtractQuotedStr(const std::string& s, size_t& pos, char quote);
// The text without its surrounding quotes when quoted, else the text unchanged.
std::string AnsiDequotedStr(const std::string& s, char quote);
// Line breaks (CR, LF, CRLF, LFCR) made CRLF.
std::string AdjustLineBreaks(const std::string& s);
// Index of the last character of s that is in delimiters, or -1.
int LastDelimiter(const std::string& delimiters, const std::string& s);
bool IsValidIdent(const std::string& s);
bool StartsText(const std::string& prefix, const std::string& s);
bool EndsText(const std::string& suffix, const std::string& s);

// ---------------------------------------------------------------------------
// Dates and times: days since 1899-12-30, the fraction is the time of day.

using TDateTime = double;

constexpr double HoursPerDay = 24;
constexpr double MinsPerDay = 24 * 60;
constexpr double SecsPerDay = 24 * 60 * 60;
constexpr double MSecsPerDay = 24.0 * 60 * 60 * 1000;

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);
// Raise EConvertError "Invalid argument to date encode" / "Invalid argument to time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
void DecodeDate(TDateTime date, int& year, int& month, int& day);
void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime date);
TDateTime Now();
TDateTime Date();
TDateTime Time();
// Same day of month clamped to the month's length.
TDateTime IncMonth(TDateTime date, int months = 1);

std::string FormatDateTime(const std::string& fmt, TDateTime dt);
std::string DateToStr(TDateTime date);
std::string TimeToStr(TDateTime time);
std::string DateTimeToStr(TDateTime dt);
// Raise EConvertError "'%s' is not a valid date" / "... time" / "... date and time".
TDateTime StrToDate(const std::string& s);
TDateTime StrToTime(const std::string& s);
TDateTime StrToDateTime(const std::string& s);
bool TryStrToDate(const std::string& s, TDateTime& value);
bool TryStrToTime(const std::string& s, TDateTime& value);
bool TryStrToDateTime(const std::string& s, TDateTime& value);
TDateTime StrToDateDef(const std::string& s, TDateTime def);

// Unix time (seconds) <-> TDateTime, both in local time.
TDateTime UnixToDateTime(int64_t seconds);

// ---------------------------------------------------------------------------
// Files and paths ('/' separates directories)

constexpr char PathDelim = '/';
constexpr char DriveDelim = '\0';

bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& dir);
bool DeleteFile(const std::string& fileName);
bool RenameFile(const std::string& oldName, const std::string& newName);
bool CreateDir(const std::string& dir);
bool RemoveDir(const std::string& dir);
// Creates every missing directory of the path; true when it exists afterwards.
bool ForceDirectories(const std::string& dir);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& dir);
// Size in bytes, -1 when the file cannot be examined.
int64_t FileSizeOf(const std::string& fileName);
// Modification time, or -1 when the file cannot be examined.
TDateTime FileDateTime(const std::string& fileName);
// The directory of the system's temporary files, with a trailing delimiter.
std::string GetTempDir();
// The folder of the program's settings files, without a trailing delimiter:
// $VELMARON_CONFIG_DIR when set; else $XDG_CONFIG_HOME/velmaron when that is an
// absolute path (a relative one is ignored, as the XDG rule says); else
// ~/.config/velmaron, the home folder taken from $HOME or the password database.
std::string UserConfigDir();

// Path with its trailing delimiter ("/dir/" of "/dir/a.txt").
std::string ExtractFilePath(const std::string& fileName);
// Path without its trailing delimiter ("/dir" of "/dir/a.txt").
std::string ExtractFileDir(const std::string& fileName);
std::string ExtractFileName(const std::string& fileName);
// Extension with its dot, "" without one.
std::string ExtractFileExt(const std::string& fileName);
std::string ChangeFileExt(const std::string& fileName, const std::string& ext);
std::string IncludeTrailingPathDelimiter(const std::string& s);
std::string ExcludeTrailingPathDelimiter(const std::string& s);
// Absolute path with "." and ".." resolved (no symbolic links followed).
std::string ExpandFileName(const std::string& fileName);

// Writes `data` to a temporary file beside `fileName` and renames it over `fileName`,
// so a failed save keeps the old file. Raises EFCreateError when the temporary file
// cannot be created and EWriteError when writing or renaming fails. With `sync` the
// data reach the disk before the rename; without, SyncFile can do that later.
void SaveFileAtomically(const std::string& fileName, std::string_view data, bool sync = true);
// The same for a file whose first head.size() bytes are replaced: the rest of an existing file
// is streamed from it into the new one (never read whole). The old file is opened as
// LoadRegularFileBytes opens a file, so one that is no regular file is refused (EFOpenError).
void SaveFileHeadAtomically(const std::string& fileName, std::string_view head, bool sync = true);
// Raises EFCreateError when a save may not replace an existing file: it is read-only (for
// everyone, or for us) or no regular file. A save by rename would replace it all the same, so
// the writers of settings and INI files ask first.
void CheckFileReplaceable(const std::string& fileName);
// Makes the file's contents and its directory entry durable; false on failure.
bool SyncFile(const std::string& fileName);
// Appends `data` to the file, creating it (for its owner only with `ownerOnly`);
// false when it cannot be opened or written whole. Never follows a link.
bool AppendFileBytes(const std::string& fileName, std::string_view data, bool ownerOnly = false);
// The one reader of whole files: opens without blocking (a FIFO or device never stalls the
// caller) and accepts only a regular file of at most `maxBytes`; anything else raises
// EFOpenError with the reason, a failing read EReadError.
std::string LoadRegularFileBytes(const std::string& fileName, int64_t maxBytes);
// Why a file could not be opened (errno err): the system's reason, or that it is a link to a
// file that does not exist.
std::string FileOpenReason(const std::string& fileName, int err);
// The largest file read whole where the caller names no smaller cap.
constexpr int64_t kMaxFileBytes = int64_t(1) << 30;
// LoadRegularFileBytes with that cap.
std::string LoadFileBytes(const std::string& fileName);
// A file the kernel makes (under /proc or /sys), or "" when it cannot be read. Such files are
// regular files that say they are empty, so the one reader above reads them to their end, held
// to 4 MB (a /proc/cpuinfo of a thousand processors is a fraction of that).
std::string LoadKernelFile(const std::string& fileName);
// The first at most maxBytes bytes of a regular file, opened as above; the rest of a longer
// file is neither read nor refused.
std::string LoadRegularFileHead(const std::string& fileName, int64_t maxBytes);
