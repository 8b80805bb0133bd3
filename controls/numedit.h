// CNumEdit: an edit field holding one number within a range, refusing typing that would make it
// anything else; CNumSpinCtrl: an up-down control that steps its CNumEdit buddy by the buddy's delta.
#pragma once

#include <cfloat>

#include "framework/ui.h"

class CNumEdit : public CEdit {
public:
  // Validity of a text: a number in range, out of range, not a number, or only a sign.
  enum { kValid = 0, kOutOfRange = 1, kNotANumber = 2, kOnlySign = 3 };

  virtual BOOL ChangeAmount(int steps);
  virtual float GetDelta() const { return m_Delta; }
  virtual void SetDelta(float delta) { m_Delta = delta; }
  virtual void GetRange(float& min, float& max) const { min = m_Min, max = m_Max; }
  virtual void SetRange(float min, float max) { m_Min = min, m_Max = max; }
  virtual BOOL GetVerbose() const { return m_Verbose; }
  virtual void SetVerbose(BOOL verbose) { m_Verbose = verbose; }
  virtual int IsValidText(const CString& text);
  virtual int IsValid();
  // FALSE (text unchanged) when the value is outside the range.
  virtual BOOL SetValue(float value);
  // The minimum when the text is not a valid number in range.
  virtual float GetValue();
  // The printf format for the value: "%.<places>f", the places raised to the value's own.
  virtual CString GetFormatString(CString& out, float value);

  int GetDecimalPlaces() const { return m_DecimalPlaces; }

protected:
  void OnChar(UINT ch, UINT repeat, UINT flags);
  DECLARE_MESSAGE_MAP()

private:
  int m_DecimalPlaces = 0;
  BOOL m_Verbose = FALSE;
  float m_Delta = 1.0f;
  float m_Min = -FLT_MAX;
  float m_Max = FLT_MAX;
};

class CNumSpinCtrl : public CSpinButtonCtrl {
public:
  virtual void SetDelta(float delta);
  virtual float GetDelta();
  // With a CNumEdit buddy: the buddy's SetValue(0); with no buddy: the previous buddy's handle.
  virtual int SetBuddy(CWnd* buddy);
  virtual CWnd* GetBuddy() const { return CSpinButtonCtrl::GetBuddy(); }
  virtual void GetRange(float& min, float& max);
  virtual void SetRange(float min, float max);
  virtual float GetPos();
  virtual void SetPos(float value);

protected:
  void OnDeltaPos(NMHDR* hdr, LRESULT* result);
  DECLARE_MESSAGE_MAP()

private:
  CNumEdit* NumBuddy() const;
};
