#pragma once
// The records a block of cells travels in (the grid's private clipboard format and its drag
// data), and the one encoding that writes and reads them.
//
// Encoding: the magic "VLMCELLS" and a version byte, then records. A record is its class
// name, a field count and its fields (name, type letter, value): I int32, B bool, D double,
// S string, L list of strings; integers little-endian, strings with a 32-bit length. The
// reader checks the whole stream (known classes and fields, record order, counts, sizes and
// coordinates) before it hands anything back; data of another process never reaches a grid
// half read.

#include <memory>
#include <string>
#include <vector>

#include "controls/grid/BaseGrid.h"
#include "controls/grid/ExtObj.h"
#include "controls/grid/GridOptions.h"
#include "platform/gui/DataObject.h"
#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"

// The block: its size, widths and heights, where it came from.
class TGridPropIO : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TGridPropIO"; }
  int ColCount = 0, RowCount = 0;
  std::string ColWidths, RowHeights;  // decimal numbers joined by ","
  bool FullGrid = false;
  std::string ID;          // the writing grid: a per-process token and the grid's serial
  int Left = 0, Top = 0;   // the block's top-left cell in the writing grid
};

class TGridCellIO : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TGridCellIO"; }
  int Col = 0, Row = 0;  // in the writing grid
  std::string Cell;
  bool HasProp = false;
};

class TGridCellPropIO : public TComponent {
 public:
  explicit TGridCellPropIO(TComponent* AOwner)
      : TComponent(AOwner), CellProperties(std::make_unique<TCellProperties>(nullptr, 0, 0)) {}
  std::string ClassName() const override { return "TGridCellPropIO"; }
  std::unique_ptr<TCellProperties> CellProperties;
  bool HasGraphic = false;
};

class TGridGraphicIO : public TComponent {
 public:
  explicit TGridGraphicIO(TComponent* AOwner) : TComponent(AOwner), CellGraphic(std::make_unique<TCellGraphic>()) {}
  std::string ClassName() const override { return "TGridGraphicIO"; }
  std::unique_ptr<TCellGraphic> CellGraphic;
};

// The texts of a radio group or the indices of an image list cell.
class TGridSLIO : public TComponent {
 public:
  explicit TGridSLIO(TComponent* AOwner) : TComponent(AOwner), Strings(std::make_unique<TStringList>()) {}
  std::string ClassName() const override { return "TGridSLIO"; }
  std::unique_ptr<TStringList> Strings;
};

// The picture of a ctBitmap or ctBitButton graphic (travels as BMP).
class TGridBMPIO : public TComponent {
 public:
  explicit TGridBMPIO(TComponent* AOwner) : TComponent(AOwner), Bitmap(std::make_unique<TBitmap>()) {}
  std::string ClassName() const override { return "TGridBMPIO"; }
  std::unique_ptr<TBitmap> Bitmap;
};

class TGridIconIO : public TComponent {
 public:
  explicit TGridIconIO(TComponent* AOwner) : TComponent(AOwner), Icon(std::make_unique<TIcon>()) {}
  std::string ClassName() const override { return "TGridIconIO"; }
  std::unique_ptr<TIcon> Icon;
};

// The picture of a ctPicture graphic, of whatever class its bytes are.
class TGridPicIO : public TComponent {
 public:
  explicit TGridPicIO(TComponent* AOwner) : TComponent(AOwner), Picture(std::make_unique<TPicture>()) {}
  std::string ClassName() const override { return "TGridPicIO"; }
  std::unique_ptr<TPicture> Picture;
};

// A ctFilePicture graphic's file: its name and sides, never the file's bytes.
class TGridFilePicIO : public TComponent {
 public:
  explicit TGridFilePicIO(TComponent* AOwner) : TComponent(AOwner), Picture(std::make_unique<TFilePicture>()) {}
  std::string ClassName() const override { return "TGridFilePicIO"; }
  std::unique_ptr<TFilePicture> Picture;
};

// One cell of a block with what follows it.
struct TGridCellRecord {
  std::unique_ptr<TGridCellIO> Cell;
  std::unique_ptr<TGridCellPropIO> Prop;        // when Cell->HasProp
  std::unique_ptr<TGridGraphicIO> Graphic;      // when Prop->HasGraphic
  std::unique_ptr<TGridSLIO> Strings;           // ctRadio and ctImages graphics
  // The graphic's picture, by its type (CellPictureRecord); the writer writes an empty one when
  // the member is missing.
  std::unique_ptr<TGridBMPIO> Bitmap;
  std::unique_ptr<TGridIconIO> Icon;
  std::unique_ptr<TGridPicIO> Pic;
  std::unique_ptr<TGridFilePicIO> FilePic;
};

struct TGridCellBlock {
  std::unique_ptr<TGridPropIO> Header = std::make_unique<TGridPropIO>(nullptr);
  std::vector<TGridCellRecord> Cells;
};

// The grid's formats in exchanges: its cells, a dragged column (a 32-bit index), rich text.
TClipboardFormat GridCellsFormat();
TClipboardFormat GridColumnFormat();
TClipboardFormat RichTextFormat();

// Graphic types whose record carries a list of strings.
bool CellGraphicHasStrings(TCellType Type);
// The picture record that follows a graphic of the type.
enum TCellPictureRecord { cprNone, cprBitmap, cprIcon, cprPicture, cprFilePicture };
TCellPictureRecord CellPictureRecord(TCellType Type);

// A graphic's picture into the record its type takes, and back (copies).
void CellPictureToRecord(const TCellGraphic& G, TGridCellRecord& Rec);
void CellPictureFromRecord(const TGridCellRecord& Rec, TCellGraphic& G);

constexpr int64_t kMaxBlockPicturePixels = int64_t(1) << 25;

std::string EncodeCellBlock(const TGridCellBlock& Block);
// False (and Error says why) for anything but a whole, well-formed stream: Block is then empty.
// MaxBytes caps what is read at all. Pictures are decoded only after the whole stream was read
// good, within one budget of pixels for the block (kMaxBlockPicturePixels).
bool DecodeCellBlock(const std::string& Bytes, TGridCellBlock& Block, std::string& Error,
                     size_t MaxBytes = size_t(1) << 30);
