#include "controls/markup/PictureContainer.h"

#include <atomic>
#include <thread>

#include "controls/markup/MarkupText.h"
#include "platform/rtl/SysUtils.h"

namespace {

bool IsGif(const std::string& d) { return d.size() >= 5 && d.compare(0, 4, "GIF8") == 0; }

int Word16(const std::string& d, size_t at) {
  return uint8_t(d[at]) | (uint8_t(d[at + 1]) << 8);
}

// A graphic control extension directly followed by an image descriptor.
bool IsFrameMarker(const std::string& d, size_t p) {
  return p + 9 < d.size() && uint8_t(d[p]) == 0x21 && uint8_t(d[p + 1]) == 0xF9 && uint8_t(d[p + 2]) == 4 &&
         uint8_t(d[p + 8]) == 0x2C;
}

int CountFrames(const std::string& d) {
  int n = 0;
  for (size_t p = 0; p < d.size(); ++p)
    if (IsFrameMarker(d, p)) ++n;
  return n;
}

}  // namespace

// ---------------------------------------------------------------- THTMLPicture

THTMLPicture::THTMLPicture() = default;
THTMLPicture::~THTMLPicture() = default;

void THTMLPicture::Reset() {
  empty_ = true;
  decoded_ = false;
  Clear();
  frameCountKnown_ = false;
  frameCount_ = -1;
  frame_ = 1;
  screenWidth_ = screenHeight_ = 0;
  frameLeft_ = frameTop_ = frameWidth_ = frameHeight_ = 0;
}

void THTMLPicture::Assign(TPersistent* Source) {
  if (Source == nullptr) {
    Reset();
    data_.clear();
    return;
  }
  auto* other = dynamic_cast<THTMLPicture*>(Source);
  if (other == nullptr) {
    TImageGraphic::Assign(Source);
    return;
  }
  if (other == this) return;
  Reset();
  data_ = other->data_;
  if (!data_.empty()) {
    empty_ = false;
    Decode();
  }
  Changed();
}

std::unique_ptr<TGraphic> THTMLPicture::Clone() const {
  auto copy = std::make_unique<THTMLPicture>();
  copy->Assign(const_cast<THTMLPicture*>(this));
  copy->stretch_ = stretch_;
  return copy;
}

bool THTMLPicture::Empty() const { return empty_; }

int THTMLPicture::Width() const { return decoded_ ? TImageGraphic::Width() : 0; }

int THTMLPicture::Height() const { return decoded_ ? TImageGraphic::Height() : 0; }

int THTMLPicture::FrameWidth() const { return screenWidth_ > 0 ? screenWidth_ : Width(); }

int THTMLPicture::FrameHeight() const { return screenHeight_ > 0 ? screenHeight_ : Height(); }

void THTMLPicture::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (empty_ || !decoded_ || ACanvas == nullptr) return;
  if (stretch_) {
    TImageGraphic::Draw(ACanvas, Rect);
    return;
  }
  const int dpi = ACanvas->Font()->PixelsPerInch();
  TImageGraphic::Draw(ACanvas, Bounds(Rect.Left, Rect.Top, MulDiv(Width(), dpi, 96), MulDiv(Height(), dpi, 96)));
}

void THTMLPicture::LoadBytes(std::string Bytes, bool Announce) {
  // A new picture's frame count and frame number are its own, not those of the old one.
  Reset();
  data_ = std::move(Bytes);
  empty_ = false;
  Decode();
  if (Announce) Changed();
}

void THTMLPicture::ReadData(TStream* Stream) { LoadBytes(Stream ? Stream->ReadAll() : std::string(), false); }

void THTMLPicture::WriteData(TStream* Stream) const {
  if (Stream && !data_.empty()) Stream->WriteBuffer(data_.data(), int64_t(data_.size()));
}

void THTMLPicture::LoadFromStream(TStream* Stream) { LoadBytes(Stream ? Stream->ReadAll() : std::string()); }

void THTMLPicture::LoadFromFile(const std::string& FileName) {
  // Markup names files on behalf of whatever text it is given: a device, a
  // FIFO or a huge file must neither hang the program nor fill its memory.
  LoadBytes(LoadRegularFileBytes(FileName, kMaxPictureFileBytes));
}

void THTMLPicture::SaveToStream(TStream* Stream) { WriteData(Stream); }

void THTMLPicture::LoadFromURL(const std::string& Address) {
  const std::string up = MarkupUpper(Address);
  if (up.rfind("RES://", 0) == 0) {
    SetURL(Address);
    std::string bytes;
    if (FindResource(Address.substr(6), bytes)) LoadBytes(std::move(bytes));
    return;
  }
  if (up.rfind("FILE://", 0) == 0) {
    SetURL(Address);
    LoadFromFile(Address.substr(7));
    return;
  }
  if (asynch_) {
    // Loading by address happens elsewhere; the picture stays empty meanwhile.
    if (busy_) return;
    busy_ = true;
    SetURL(Address);
    (new TDownLoadThread)->Start();
  } else {
    id_ = Address;
    SetURL(Address);
  }
}

void THTMLPicture::SetURL(const std::string& Address) {
  if (url_ == Address) return;
  url_ = Address;
  if (cache_) cache_->Readdress(this, Address);
}

void THTMLPicture::SetFrame(int v) {
  frame_ = v;
  if (data_.empty()) return;
  Decode();
  if (OnFrameChange) OnFrameChange(this);
}

int THTMLPicture::FrameCount() {
  if (!frameCountKnown_) {
    frameCount_ = IsGif(data_) ? CountFrames(data_) : -1;
    frameCountKnown_ = true;
  }
  return frameCount_;
}

void THTMLPicture::Decode() {
  decoded_ = false;
  if (data_.empty()) throw Exception("Empty image stream created");
  std::string block;
  if (IsGif(data_) && FrameCount() >= 1) {
    // The header, then everything from the requested frame on.
    screenWidth_ = screenHeight_ = 0;
    frameLeft_ = frameTop_ = frameWidth_ = frameHeight_ = 0;
    if (data_.size() >= 10) {
      screenWidth_ = Word16(data_, 6);
      screenHeight_ = Word16(data_, 8);
    }
    block.reserve(data_.size());
    int counter = 1;
    bool copying = true;
    for (size_t p = 0; p < data_.size(); ++p) {
      if (IsFrameMarker(data_, p)) {
        if (counter == frame_ && p + 16 < data_.size()) {
          frameLeft_ = Word16(data_, p + 9);
          frameTop_ = Word16(data_, p + 11);
          frameWidth_ = Word16(data_, p + 13);
          frameHeight_ = Word16(data_, p + 15);
        }
        ++counter;
        copying = frame_ < counter;
      }
      if (copying) block += data_[p];
    }
  } else {
    block = data_;
  }
  Clear();
  TStringStream s(block);
  // The caller announces the change once, when it is complete.
  TNotifyEvent onChange = std::move(OnChange);
  OnChange = nullptr;
  try {
    TImageGraphic::LoadFromStream(&s);
  } catch (...) {
    OnChange = std::move(onChange);
    throw Exception("Could not load image. Invalid format");
  }
  OnChange = std::move(onChange);
  if (TImageGraphic::Empty()) throw Exception("Could not load image");
  decoded_ = true;
}

// ---------------------------------------------------------------- download thread

namespace {
std::atomic<int> gDownLoadThreads{0};
}

void TDownLoadThread::Start() {
  ++gDownLoadThreads;
  std::thread([this] {
    Execute();
    delete this;
  }).detach();
}

int TDownLoadThread::Started() { return gDownLoadThreads; }

// ---------------------------------------------------------------- items and container

TPictureItem::TPictureItem(TCollection* Collection) : TCollectionItem(Collection), picture_(new THTMLPicture) {}

TPictureItem::~TPictureItem() { delete picture_; }

void TPictureItem::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TPictureItem*>(Source);
  if (other == nullptr) {
    TCollectionItem::Assign(Source);
    return;
  }
  name_ = other->name_;
  tag_ = other->tag_;
  picture_->Assign(other->picture_);
}

TPictureCollection::TPictureCollection(TPictureContainer* Owner)
    : TCollection(CollectionItemClass<TPictureItem>()), owner_(Owner) {}

TPersistent* TPictureCollection::GetOwner() const { return owner_; }

TPictureContainer::TPictureContainer(TComponent* AOwner) : TComponent(AOwner), items_(new TPictureCollection(this)) {}

TPictureContainer::~TPictureContainer() { delete items_; }

THTMLPicture* TPictureContainer::FindPicture(const std::string& Name) {
  const std::string want = MarkupUpper(Name);
  for (int i = 0; i < items_->Count(); ++i) {
    TPictureItem* item = items_->Items(i);
    if (MarkupUpper(item->Name()) == want) return item->Picture();
  }
  return nullptr;
}

// ---------------------------------------------------------------- cache

THTMLPictureCache::~THTMLPictureCache() { ClearPictures(); }

void THTMLPictureCache::Notify(void* Ptr, TListNotification Action) {
  auto* picture = static_cast<THTMLPicture*>(Ptr);
  if (Action == lnAdded) {
    TMember& m = members_[picture];
    if (m.Count++ > 0) return;
    m.Address = picture->URL();
    byAddress_[m.Address].push_back(picture);
    picture->cache_ = this;
    return;
  }
  const auto it = members_.find(picture);
  if (it == members_.end() || --it->second.Count > 0) return;
  auto& same = byAddress_[it->second.Address];
  std::erase(same, picture);
  if (same.empty()) byAddress_.erase(it->second.Address);
  members_.erase(it);
  picture->cache_ = nullptr;
}

void THTMLPictureCache::Readdress(THTMLPicture* Picture, const std::string& Address) {
  const auto it = members_.find(Picture);
  if (it == members_.end() || it->second.Address == Address) return;
  auto& old = byAddress_[it->second.Address];
  std::erase(old, Picture);
  if (old.empty()) byAddress_.erase(it->second.Address);
  it->second.Address = Address;
  byAddress_[Address].push_back(Picture);
}

THTMLPicture* THTMLPictureCache::AddPicture() {
  auto* p = new THTMLPicture;
  Add(p);
  return p;
}

THTMLPicture* THTMLPictureCache::FindPicture(const std::string& Address) const {
  const auto it = byAddress_.find(Address);
  if (it == byAddress_.end()) return nullptr;
  if (it->second.size() == 1) return it->second.front();
  // Several pictures share the address: the list's order decides.
  for (int i = 0; i < Count(); ++i)
    if (Items(i) && Items(i)->URL() == Address) return Items(i);
  return nullptr;
}

void THTMLPictureCache::ClearPictures() {
  // Out of the list first, so no notification meets a freed picture; each once.
  std::vector<THTMLPicture*> owned;
  owned.reserve(members_.size());
  for (const auto& [picture, member] : members_) owned.push_back(picture);
  Clear();
  for (THTMLPicture* picture : owned) delete picture;
}
