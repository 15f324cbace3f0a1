#pragma once
// Text routines over mini-HTML markup that need no canvas: stripping,
// highlighting, index mapping, entity coding, inline-control tags, and the
// tag and attribute scanning that the renderer shares with them.
// Positions are 0-based; -1 means "none".

#include <string>
#include <string_view>
#include <vector>

// ---- plain string helpers -------------------------------------------------
std::string MarkupUpper(std::string_view s);
std::string MarkupLower(std::string_view s);
// Position of Pattern in Text (case-sensitive / ignoring ASCII case); -1 none.
int VarPos(const std::string& Pattern, const std::string& Text);
int VarPosNoCase(const std::string& Pattern, const std::string& Text);
// Decimal value with optional sign; 0 for anything that is not a number or
// does not fit in an int.
int IntVal(const std::string& Text);
// Replaces the first case-insensitive occurrence of Old; true when found.
bool ReplaceOnce(const std::string& Old, const std::string& New, std::string& Text);
// "<#name>" becomes "#name": the "<" goes and the first ">" after it too.
std::string ConvertFooterMarkers(const std::string& Text);
// Whether the conversions above would change anything in Text.
bool HasFooterMarkers(std::string_view Text);
bool HasLineBreaks(std::string_view Text);
// Drops line feeds; a carriage return becomes "<BR>" with Flag, else is dropped.
std::string LineBreaksToBR(const std::string& Text, bool Flag);
// One "*" for every character (of UTF-8 when the text is valid UTF-8, else every byte).
std::string PasswordText(const std::string& Text);

// ---- one text, one encoding -------------------------------------------------
// Insert made fit to go into Target: UTF-8 when Target is valid UTF-8 (plain
// ASCII included), else Windows-1252; Insert's own encoding is decided the same
// way. False when a character of Insert has no Windows-1252 byte (it becomes "?").
bool ToEncodingOf(std::string_view Target, std::string_view Insert, std::string& Out);
// Number of characters of a text in its encoding.
size_t CharacterCount(std::string_view Text);

// ---- markup text ----------------------------------------------------------
// "<BR>" and "<HR>" (any case) become CR LF, every other tag is removed.
std::string HTMLStrip(const std::string& Text);
// Every tag removed, breaks not converted.
std::string StripTags(const std::string& Text);
// Raw index at which visible character N (0-based) begins to be written:
// 0 for N = 0, else just after the raw position of visible character N-1,
// so a tag in front of a character is included. N equal to the visible
// length gives the index after the last visible character. -1 otherwise.
int VisibleToRawIndex(const std::string& Text, int N);
// Searches Pattern in Text from index Start; stores and returns its index, -1 none.
int FindTextFrom(const std::string& Pattern, const std::string& Text, int Start, int& Position,
                 bool CaseSensitive);
// Wraps every occurrence of SearchText in the visible text in <Tag> ... </Tag>,
// one occurrence after the other (a closing tag goes before the next opening
// tag at the same place). SearchText is matched in Text's encoding.
std::string HiLight(const std::string& Text, const std::string& SearchText, const std::string& TagName,
                    bool CaseSensitive);
// Removes every <Tag> and </Tag>, ignoring case.
std::string UnHiLight(const std::string& Text, const std::string& TagName);
// "&lt;" "&gt;" "&amp;" "&quot;" to their characters, and back. One pass
// each, so encoding then decoding gives any text back.
std::string DecodeEntities(const std::string& Text);
std::string EncodeEntities(const std::string& Text);

// ---- tags ------------------------------------------------------------------
// The name of a tag "<name...>" or "</name...>": the letters and digits after
// "<" or "</"; Closing tells which.
std::string_view MarkupTagName(std::string_view Tag, bool& Closing);

// ---- inline-control tags ---------------------------------------------------
// The helpers find CONTROL tags where the renderer does: every "<" opens a tag
// that runs to the next ">", and its name is CONTROL.
// Reads TYPE (upper-cased), ID, PROP, WIDTH and VALUE (entity-decoded) of a
// CONTROL tag; an absent attribute leaves its output as it was.
void ParseControlTag(const std::string& Tag, std::string& Type, std::string& ID, std::string& Prop,
                     std::string& Width, std::string& Value);
bool HasHTMLControls(const std::string& Text);
std::string NextHTMLControlID(const std::string& Text, const std::string& ID);
std::string GetHTMLControlProp(const std::string& Text, const std::string& ID);
// VALUE and TYPE of the control with that ID; with an empty ID, of the first
// BUTTON, CHECK or RADIO control.
std::string GetHTMLControlValue(const std::string& Text, const std::string& ID);
std::string GetHTMLControlType(const std::string& Text, const std::string& ID);
// Rewrites the VALUE of the control with that ID, in the text's encoding;
// false (text untouched) when none has it.
bool SetHTMLControlValue(std::string& Text, const std::string& ID, const std::string& NewValue);

// ---- scanning shared with the renderer ------------------------------------
struct TMarkupAttr {
  std::string_view Name;   // as written
  std::string_view Value;  // as written, quotes removed
  bool Quoted = false;
};

// The attributes of one tag body, in order. A value is quoted ("..."), or
// runs to the next blank. Words without "=" are kept with an empty value.
std::vector<TMarkupAttr> ScanAttributes(std::string_view Body);
// The same into a vector that is reused (cleared first).
void ScanAttributes(std::string_view Body, std::vector<TMarkupAttr>& Out);
// First attribute of that name: ignoring ASCII case, or exactly as written.
const TMarkupAttr* FindAttribute(const std::vector<TMarkupAttr>& Attrs, std::string_view Name,
                                 bool IgnoreCase);

// Decodes the entities that text pieces may hold, in one left-to-right pass:
// "&amp;" "&quot;" "&sect;" "&permil;" "&reg;" "&copy;" "&para;" "&trade;"
// "&euro;" in any case; "&lt;" "&gt;" and (with Nbsp) "&nbsp;" as written.
// The characters are written in UTF-8 with Utf8, else as Windows-1252 bytes.
void AppendDecodedPiece(std::string& Out, std::string_view Piece, bool Nbsp, bool Utf8);
std::string DecodePiece(std::string_view Piece, bool Nbsp, bool Utf8);
