#include "sheets/PrintImage.h"

namespace vorne {

TPrintImage::TPrintImage(THdrForm& list) : list_(list) {}

TSheetPtr TPrintImage::Current() const {
  // The selected entry, quietly: the window redraws often and must not ask.
  const int i = list_.SelectedIndex();
  if (i < 0 || size_t(i) >= list_.Count()) return nullptr;
  return list_.Entries()[size_t(i)].second;
}

TRect TPrintImage::Box(int ppi) const {
  const TSheetPtr sheet = Current();
  const bool portrait = !sheet || sheet->body.orientation == 'P';
  return portrait ? TRect{0, 0, 8 * ppi, 11 * ppi} : TRect{0, 0, 11 * ppi, 8 * ppi};
}

bool TPrintImage::Draw(TPrintCanvas& canvas) {
  const TSheetPtr sheet = Current();
  if (!sheet) return false;
  pitchLabel_ = "Requested pitch= " + std::to_string(PitchCpi(sheet->body.pitchCode)) + " c.p.i.";
  TSheetPrinter engine(list_.Cluster(), canvas);
  const bool drawn = engine.PrintSheet(*sheet, Box(canvas.PixelsPerInch()));
  fontLabel_ = "Font size: " + std::to_string(engine.FontSize());
  caption_ = engine.VolumeTitle();
  return drawn;
}

void TPrintImage::PreviousClick() {
  list_.SelectPrevious();
  if (onChanged) onChanged();
}

void TPrintImage::NextClick() {
  list_.SelectNext();
  if (onChanged) onChanged();
}

}  // namespace vorne
