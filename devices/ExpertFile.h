#pragma once
// The expert mode data file, apart from any window: a header line, one line
// per message row (Address,R/W,Stop?,Delay,Data[,Comments: note]) and a line
// "Sequence:" with the sequence, each line ended by CR LF.

#include <string>
#include <vector>

#include "devices/ExpertMessage.h"

inline constexpr const char* ExpertFileHeader = "Expert Mode Data File";
// The most message lines a file may hold.
constexpr int ExpertMaxFileRows = 10000;

struct TExpertFile {
  std::vector<TExpertRow> Rows;  // the message lines in order
  bool HasSequence = false;      // a "Sequence:" line was there
  std::string Sequence;          // its text after "Sequence:", at most 255 characters
};

// The file's bytes for the rows (grid rows 1 to the last, empty ones left out) and the sequence.
std::string WriteExpertFile(const std::vector<TExpertRow>& Rows, const std::string& Sequence);

// Reads a whole file. False with Error (nothing to be applied) when the header
// is not one of the accepted ones or the file holds more than ExpertMaxFileRows
// message lines.
bool ReadExpertFile(const std::string& Bytes, TExpertFile& File, std::string& Error);
