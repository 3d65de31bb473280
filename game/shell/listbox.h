// listbox: a scrolling list of text items shown as a fixed number of radio-button rows,
// with "list_up"/"list_down" buttons, an optional slider and a callback that may refuse a
// change; scripts reach it by name through seven Lua functions.
#pragma once

#include <cstdint>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/str.h"
#include "core/window/window.h"

class TButton;
class TLuaFunction;
class TLuaTable;
class TSlider;

class TListBox : public TWindow
{
public:
  // Asked before the selection changes; false refuses the change.
  class TListBoxSelectedListener
  {
  public:
    virtual ~TListBoxSelectedListener() {}
    virtual bool OnSelected(int index) = 0;
  };

  static const int kDefaultRows = 6;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TListBox"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  // The window type "ListBox" and the Lua functions.
  static void Registration();

  TListBox();
  ~TListBox() override;

  void Init(TWindowStyle& style) override;
  void PostChildrenInit(TWindowStyle& style) override;
  bool OnMessage(TMessage* message) override;

  void AddItem(const str& text);
  // Indices outside the list are refused with an error line.
  void DeleteItem(int index);
  void ClearItems();
  str GetItemText(int index);
  // Changes the stored text; the row shows it at the next re-layout.
  void SetItemText(int index, const str& text);
  // -1 when no visible row is on.
  int GetSelectedItem();
  void SetSelectedItem(int index);
  void SetFirstVisibleItem(int first);
  void SetMaxVisibleItem(int rows);
  void UpdateSlider(int index);
  // The command of every row button.
  void OnSelectItem(TButton* button);
  // Takes ownership; replaces (and deletes) the previous listener.
  void SetListener(TListBoxSelectedListener* listener);

  int GetItemCount() const { return int(mItems.size()); }
  int GetFirstVisibleItem() const { return mFirst; }
  const std::vector<TButton*>& GetRows() const { return mRows; }

  // The Lua functions; each does nothing when the top dialog has no list of that name.
  static void SetChangeCommandName(str name, TLuaFunction* function);
  static void SetSelectedItemName(str name, int index);
  static int GetSelectedItemName(str name);
  static str GetItemTextName(str name, int index);
  static void SetItemTextName(str name, int index, str text);
  static void AddItemName(str name, str text);
  static void DeleteItemName(str name, int index);

private:
  bool IsItem(int index, const char* operation) const;
  bool Ask(int index);
  int RowOf(TButton* button) const;

  std::vector<str> mItems;
  std::vector<TButton*> mRows;
  boost::shared_ptr<TLuaTable> mRowStyle;
  TSlider* mSlider = nullptr;
  TListBoxSelectedListener* mListener = nullptr;
  int mFirst = 0;
  int mIndent = 0;
  // A refused press: the row that the press switches on after its command ran, and the
  // item selected before, put back when the press's message arrives.
  TButton* mRefusedRow = nullptr;
  int mRefusedPrevious = -1;
};

TWindow* TListBoxDynamicCreate();
