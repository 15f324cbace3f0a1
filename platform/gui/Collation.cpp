#include "platform/gui/Collation.h"

#include <QCollator>
#include <QLocale>
#include <QStringView>
#include <atomic>
#include <memory>

#include "platform/rtl/LocaleCompare.h"

namespace {

std::string gLocaleName;
std::atomic<int> gGeneration{0};

QLocale CollationLocale() {
  if (!gLocaleName.empty()) return QLocale(QString::fromStdString(gLocaleName));
  const QLocale user = QLocale::system().collation();
  // The C locale names no language and would compare code points: the Unicode default order
  // (which English uses unchanged) puts accented letters beside their base letters.
  return user.language() == QLocale::C ? QLocale(QLocale::English) : user;
}

int Collate(std::u16string_view a, std::u16string_view b, bool IgnoreCase) {
  // A collator is costly to make and not to be shared between threads: one per thread and case.
  struct TCollators {
    int generation = -1;
    std::unique_ptr<QCollator> exact, noCase;
  };
  thread_local TCollators c;
  if (c.generation != gGeneration.load()) {
    const QLocale locale = CollationLocale();
    c.exact = std::make_unique<QCollator>(locale);
    c.noCase = std::make_unique<QCollator>(locale);
    c.noCase->setCaseSensitivity(Qt::CaseInsensitive);
    c.generation = gGeneration.load();
  }
  const QStringView x(a.data(), static_cast<qsizetype>(a.size())), y(b.data(), static_cast<qsizetype>(b.size()));
  return (IgnoreCase ? c.noCase : c.exact)->compare(x, y);
}

}  // namespace

void InstallLocaleCollation() { SetCollation(&Collate); }

void SetCollationLocale(const std::string& Name) {
  gLocaleName = Name;
  ++gGeneration;
}
