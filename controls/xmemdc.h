// CXMemDC: an off-screen device context that copies itself to its target when it goes, so a
// painting that moves never flickers. Printing targets are drawn on directly.
#pragma once

#include "framework/ui.h"

class CXMemDC : public CDC {
public:
  explicit CXMemDC(CDC* target, const RECT* rect = nullptr) : target_(target) {
    offScreen_ = ::GetDeviceCaps(target->GetSafeHdc(), TECHNOLOGY) != DT_RASPRINTER;
    if (rect) {
      rect_ = *rect;
    } else {
      target->GetClipBox(&rect_);
    }
    if (offScreen_) {
      CreateCompatibleDC(target);
      target->LPtoDP(reinterpret_cast<POINT*>(&rect_), 2);
      bitmap_.CreateCompatibleBitmap(target, rect_.right - rect_.left, rect_.bottom - rect_.top);
      oldBitmap_ = static_cast<HBITMAP>(SelectObject(static_cast<HGDIOBJ>(bitmap_)));
      SetMapMode(target->GetMapMode());
      target->DPtoLP(reinterpret_cast<POINT*>(&rect_), 2);
      SetWindowOrg(rect_.left, rect_.top);
    } else {
      Attach(target->GetSafeHdc());
    }
    FillSolidRect(&rect_, target->GetBkColor());
  }
  ~CXMemDC() override {
    if (offScreen_) {
      target_->BitBlt(rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, this, rect_.left,
                      rect_.top, SRCCOPY);
      SelectObject(static_cast<HGDIOBJ>(oldBitmap_));
    } else {
      Detach();
    }
  }

private:
  CDC* target_;
  CBitmap bitmap_;
  HBITMAP oldBitmap_ = nullptr;
  CRect rect_;
  bool offScreen_ = true;
};
