#pragma once
// Pictures that markup text names: THTMLPicture keeps an image's encoded
// bytes and decodes them (one frame of an animated GIF at a time);
// TPictureContainer holds named pictures; THTMLPictureCache holds pictures
// by address.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"

class THTMLPictureCache;

// Picture files larger than this are refused unread.
constexpr int64_t kMaxPictureFileBytes = 16 * 1024 * 1024;

class THTMLPicture : public TImageGraphic {
 public:
  THTMLPicture();
  ~THTMLPicture() override;
  std::string ClassName() const override { return "THTMLPicture"; }

  // nil clears; another THTMLPicture is copied, decoded and announced.
  void Assign(TPersistent* Source) override;
  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  // Natural size at the rectangle's top-left, or the whole rectangle with Stretch.
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void LoadFromStream(TStream* Stream) override;
  // Reads only a regular file of at most kMaxPictureFileBytes, and never
  // blocks; anything else raises EFOpenError.
  void LoadFromFile(const std::string& FileName) override;
  // Writes the encoded bytes as they were loaded.
  void SaveToStream(TStream* Stream) override;
  // A layout's stored bytes: read as LoadFromStream but without the change event, and written
  // as SaveToStream.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream) const;
  // The clipboard carries no such pictures.
  void LoadFromClipboardFormat() {}
  void SaveToClipboardFormat() {}
  // "RES://name" loads a resource, "FILE://path" a file; any other address is
  // only recorded (no download is performed). Every address is kept as the
  // picture's URL, a failed load's too, so a cache finds it again.
  void LoadFromURL(const std::string& Address);
  std::unique_ptr<TGraphic> Clone() const override;

  bool Stretch() const { return stretch_; }
  void SetStretch(bool v) { stretch_ = v; }
  int Frame() const { return frame_; }
  void SetFrame(int v);
  // -1 for data that is not a GIF, else the number of frames.
  int FrameCount();
  // Size the renderer gives the picture: the GIF screen when known, else the image's.
  int FrameWidth() const;
  int FrameHeight() const;
  int FrameLeft() const { return frameLeft_; }
  int FrameTop() const { return frameTop_; }
  bool Asynch() const { return asynch_; }
  void SetAsynch(bool v) { asynch_ = v; }
  bool Busy() const { return busy_; }
  const std::string& URL() const { return url_; }
  const std::string& ID() const { return id_; }
  // The bytes as loaded.
  const std::string& Data() const { return data_; }

  TNotifyEvent OnFrameChange;
  TNotifyEvent OnDownLoadProgress, OnDownLoadComplete, OnDownLoadCancel, OnDownLoadError;

 protected:
  const char* SaveFormat() const override { return "PNG"; }
  TImageGraphic* NewOfSameClass() const override { return new THTMLPicture; }

 private:
  friend class THTMLPictureCache;
  void LoadBytes(std::string Bytes, bool Announce = true);
  void Decode();
  void Reset();
  void SetURL(const std::string& Address);

  std::string data_;
  bool empty_ = true;
  bool decoded_ = false;
  bool stretch_ = false;
  int frame_ = 1;
  int frameCount_ = -1;
  bool frameCountKnown_ = false;
  int screenWidth_ = 0, screenHeight_ = 0;
  int frameLeft_ = 0, frameTop_ = 0, frameWidth_ = 0, frameHeight_ = 0;
  bool asynch_ = true;
  bool busy_ = false;
  std::string url_, id_;
  THTMLPictureCache* cache_ = nullptr;  // the cache whose list holds this picture
};

// The thread a picture starts for an address that it cannot read itself. No download is
// performed: its work is empty, the picture stays empty and busy, and the thread frees itself
// when it ends.
class TDownLoadThread {
 public:
  // Runs on a thread of its own, which deletes the object when its work returns.
  void Start();
  // How many have been started in this run.
  static int Started();

 protected:
  virtual ~TDownLoadThread() = default;
  virtual void Execute() {}
};

class TPictureContainer;

class TPictureItem : public TCollectionItem {
 public:
  explicit TPictureItem(TCollection* Collection);
  ~TPictureItem() override;
  std::string ClassName() const override { return "TPictureItem"; }
  void Assign(TPersistent* Source) override;

  THTMLPicture* Picture() const { return picture_; }
  void SetPicture(THTMLPicture* v) { picture_->Assign(v); }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v) { name_ = v; }
  int Tag() const { return tag_; }
  void SetTag(int v) { tag_ = v; }

 private:
  THTMLPicture* picture_;
  std::string name_;
  int tag_ = 0;
};

class TPictureCollection : public TCollection {
 public:
  explicit TPictureCollection(TPictureContainer* Owner);
  std::string ClassName() const override { return "TPictureCollection"; }
  TPictureItem* Add() { return static_cast<TPictureItem*>(TCollection::Add()); }
  TPictureItem* Items(int Index) const { return static_cast<TPictureItem*>(TCollection::Items(Index)); }
  TPersistent* GetOwner() const override;

 private:
  TPictureContainer* owner_;
};

class TPictureContainer : public TComponent {
 public:
  explicit TPictureContainer(TComponent* AOwner);
  ~TPictureContainer() override;
  std::string ClassName() const override { return "TPictureContainer"; }

  // The first item's picture whose name equals Name ignoring case; nullptr when none.
  virtual THTMLPicture* FindPicture(const std::string& Name);
  TPictureCollection* Items() const { return items_; }
  void SetItems(TPictureCollection* v) { items_->Assign(v); }
  std::string Version() const { return "1.0.0.0"; }
  void SetVersion(const std::string&) {}

 private:
  TPictureCollection* items_;
};

// Pictures by address; the cache owns them. An index by address follows the
// list and the pictures' addresses, so finding one costs the same however
// many the cache holds.
class THTMLPictureCache : public TList {
 public:
  ~THTMLPictureCache() override;
  std::string ClassName() const override { return "THTMLPictureCache"; }
  THTMLPicture* AddPicture();
  // The first picture whose address equals Address exactly; nullptr when none.
  THTMLPicture* FindPicture(const std::string& Address) const;
  THTMLPicture* Items(int Index) const { return static_cast<THTMLPicture*>(TList::Items(Index)); }
  void ClearPictures();

 protected:
  void Notify(void* Ptr, TListNotification Action) override;

 private:
  friend class THTMLPicture;

  void Readdress(THTMLPicture* Picture, const std::string& Address);

  struct TMember {
    int Count = 0;        // how often the list holds the picture
    std::string Address;  // the address it is indexed under
  };
  std::unordered_map<std::string, std::vector<THTMLPicture*>> byAddress_;
  std::unordered_map<THTMLPicture*, TMember> members_;
};
