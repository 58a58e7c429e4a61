// TPrintImage: the print image window as a model - what the printed page of
// the sheet list's selected sheet will look like, drawn by the same
// TSheetPrinter in a letter-sized box (8 x 11 inches, turned for a landscape
// sheet) at the window's pixels per inch.
#pragma once

#include <functional>
#include <string>

#include "sheets/SheetList.h"
#include "sheets/SheetPrinter.h"

namespace vorne {

class TPrintImage {
 public:
  explicit TPrintImage(THdrForm& list);

  std::function<void()> onChanged;

  // Draws the selected sheet on the canvas, whose pixels per inch size the
  // box; false with nothing drawn when there is no sheet or its text cannot
  // be read.
  bool Draw(TPrintCanvas& canvas);
  // The box for the selected sheet at ppi, as Draw makes it.
  TRect Box(int ppi) const;
  void PreviousClick();
  void NextClick();

  const std::string& PitchLabel() const { return pitchLabel_; }  // "Requested pitch= 10 c.p.i."
  const std::string& FontLabel() const { return fontLabel_; }    // "Font size: 11"
  const std::string& Caption() const { return caption_; }
  THdrForm& List() const { return list_; }

 private:
  TSheetPtr Current() const;

  THdrForm& list_;
  std::string pitchLabel_, fontLabel_;
  std::string caption_ = "Print image";
};

}  // namespace vorne
