// Small non-copyable scopes for GDI objects, so a drawing step cannot forget to
// put the device context back or to delete what it made: an object made for
// one step is deleted when the step's scope ends, and a selection is undone in
// reverse order of the scopes. Stock objects are selected through SelectScope
// alone and therefore never deleted.
#pragma once
#include <windows.h>

// Owns one created GDI object (brush, pen, region, bitmap, font) and deletes it.
template <typename Handle>
class GdiObject {
 public:
  explicit GdiObject(Handle h) : handle_(h) {}
  ~GdiObject() {
    if (handle_) DeleteObject(handle_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  Handle handle_;
};

typedef GdiObject<HBRUSH> GdiBrush;
typedef GdiObject<HPEN> GdiPen;
typedef GdiObject<HRGN> GdiRegion;
typedef GdiObject<HBITMAP> GdiBitmap;

// Selects an object into a device context and restores the previous one. A
// null object selects nothing (and restores nothing).
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(nullptr) {
    if (dc_ && object) previous_ = SelectObject(dc_, object);
  }
  ~SelectScope() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A memory device context compatible with another, deleted at the end.
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// The text colour for one drawing step, put back afterwards.
class TextColorScope {
 public:
  TextColorScope(HDC dc, COLORREF color) : dc_(dc), previous_(SetTextColor(dc, color)) {}
  ~TextColorScope() {
    if (previous_ != CLR_INVALID) SetTextColor(dc_, previous_);
  }
  TextColorScope(const TextColorScope&) = delete;
  TextColorScope& operator=(const TextColorScope&) = delete;

 private:
  HDC dc_;
  COLORREF previous_;
};
