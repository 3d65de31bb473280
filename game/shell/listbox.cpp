// listbox: rows of radio buttons over a list of items, scrolled by buttons and a slider,
// selections offered to a Lua callback first; talks to the window script and the widgets.
#include "shell/listbox.h"

#include <cmath>

#include "core/graphics/textgraphic.h"
#include "core/script/luabind.h"
#include "core/script/script.h"
#include "core/script/message.h"
#include "core/window/button.h"
#include "core/window/slider.h"
#include "core/window/windowmanager.h"
#include "core/window/windowstyle.h"
#include "shell/gamedefs.h"
#include "shell/shellglue.h"
#include "core/foundation/debug.h"

namespace {

// Calls a script's function with the index; its result decides.
class TChangeListBoxScript : public TListBox::TListBoxSelectedListener
{
public:
  explicit TChangeListBoxScript(TLuaFunction* function) : mFunction(function) {}
  ~TChangeListBoxScript() override { delete mFunction; }

  bool OnSelected(int index) override
  {
    TScript* script = GameScript();
    if (!mFunction || !script || mFunction->GetState() != script->GetState()) {
      return true;
    }
    lua_State* L = script->GetState();
    const int top = lua_gettop(L);
    mFunction->Push();
    if (lua_type(L, -1) != LUA_TFUNCTION) {
      lua_settop(L, top);
      return true;
    }
    lua_pushinteger(L, index);
    // A callback that fails or returns nothing refuses the change.
    const bool accepted = script->RunFunction(1, 1) == LUA_OK && lua_toboolean(L, -1);
    lua_settop(L, top);
    return accepted;
  }

private:
  TLuaFunction* mFunction;
};

TListBox* FindList(const str& name)
{
  return TWindow::GetControl<TListBox>(name);
}

} // namespace

TWindow* TListBoxDynamicCreate()
{
  return new TListBox;
}

intptr_t TListBox::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TListBoxDynamicCreate);
  return id;
}

void TListBox::Registration()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->AddWindowType("ListBox", ClassId());
  }
  lua_State* L = GameLuaState();
  if (!L) {
    return;
  }
  LuaBind(L, "SetChangeCommand", &TListBox::SetChangeCommandName);
  LuaBind(L, "SetSelectedItem", &TListBox::SetSelectedItemName);
  LuaBind(L, "GetSelectedItem", &TListBox::GetSelectedItemName);
  LuaBind(L, "GetItemText", &TListBox::GetItemTextName);
  LuaBind(L, "SetItemText", &TListBox::SetItemTextName);
  LuaBind(L, "AddItem", &TListBox::AddItemName);
  LuaBind(L, "DeleteItem", &TListBox::DeleteItemName);
}

TListBox::TListBox() {}

TListBox::~TListBox()
{
  delete mListener;
}

void TListBox::Init(TWindowStyle& style)
{
  TWindow::Init(style);
  mRowStyle = style.GetTable("item");
  mIndent = style.GetInt("indent", 0);
  SetMaxVisibleItem(style.GetInt("max_visible", kDefaultRows));
}

void TListBox::SetMaxVisibleItem(int rows)
{
  for (int k = 0; k < rows; ++k) {
    TButton* button = CreateButton(mRowStyle.get(), str(), ImpossiblePoint);
    button->SetName(str::getFormatted("line%d", k));
    if (!AdoptChild(button, true)) {
      delete button;
      break;
    }
    if (mRows.empty()) {
      button->AddFlags(TButton::kAddBeginGroup);
    }
    button->SetType(TButton::kRadio);
    if (!mRows.empty()) {
      const TRect& previous = mRows.back()->GetRect();
      button->SetWindowPos(previous.left, previous.bottom + mIndent);
    }
    button->SetCommand(CreateButtonListener(this, &TListBox::OnSelectItem));
    mRows.push_back(button);
  }
  SetFirstVisibleItem(mFirst);
}

void TListBox::PostChildrenInit(TWindowStyle& style)
{
  TWindow::PostChildrenInit(style);
  mSlider = GetCast<TSlider>(GetChildWindow("list_slider", -1));
  UpdateSlider(-1);
}

void TListBox::SetFirstVisibleItem(int first)
{
  const int selected = GetSelectedItem();
  SetSelectedItem(-1);
  const int rows = int(mRows.size());
  const int count = GetItemCount();
  first = std::min(first, count - rows);
  first = std::max(first, 0);
  mFirst = first;
  for (int r = 0; r < rows; ++r) {
    const bool used = first + r < count;
    ShowWindow(mRows[size_t(r)], used);
    if (used) {
      // Items are text (players' names among them): shown as they are, never as markup.
      mRows[size_t(r)]->SetLabel(TTextGraphic::Escape(mItems[size_t(first + r)]));
    }
  }
  if (selected >= 0 && rows > 0) {
    const int row = std::min(std::max(selected - first, 0), rows - 1);
    SetSelectedItem(first + row);
  }
}

int TListBox::GetSelectedItem()
{
  for (size_t r = 0; r < mRows.size(); ++r) {
    if (mRows[r]->IsVisible() && mRows[r]->IsOn()) {
      return mFirst + int(r);
    }
  }
  return -1;
}

void TListBox::SetSelectedItem(int index)
{
  const int selected = GetSelectedItem();
  if (index == selected) {
    return;
  }
  const int rows = int(mRows.size());
  if (selected >= 0) {
    mRows[size_t(selected - mFirst)]->SetOn(false);
  }
  if (index < 0) {
    return;
  }
  if (index < mFirst) {
    SetFirstVisibleItem(index);
  } else if (index >= mFirst + rows) {
    SetFirstVisibleItem(index - rows + 1);
  }
  const int row = index - mFirst;
  if (row >= 0 && row < rows && mRows[size_t(row)]->IsVisible()) {
    mRows[size_t(row)]->SetOn(true);
  }
  UpdateSlider(index);
}

void TListBox::UpdateSlider(int index)
{
  if (!mSlider) {
    return;
  }
  if (index == -1) {
    index = GetSelectedItem();
  }
  // One item (or none) has no range to place the knob in.
  const int span = GetItemCount() - 1;
  mSlider->SetValue(span > 0 ? float(index) / float(span) : 0.0f, true);
}

int TListBox::RowOf(TButton* button) const
{
  for (size_t r = 0; r < mRows.size(); ++r) {
    if (mRows[r] == button) {
      return int(r);
    }
  }
  return -1;
}

bool TListBox::Ask(int index)
{
  return !mListener || mListener->OnSelected(index);
}

void TListBox::OnSelectItem(TButton* button)
{
  const int row = RowOf(button);
  if (row < 0) {
    return;
  }
  UpdateSlider(mFirst + row);
  // The press switches its row on after this command; a refusal is undone when the
  // press's message arrives.
  mRefusedRow = nullptr;
  const int previous = GetSelectedItem();
  if (!Ask(mFirst + row)) {
    button->SetOn(false);
    mRefusedRow = button;
    mRefusedPrevious = previous;
  }
}

bool TListBox::OnMessage(TMessage* message)
{
  const str& name = message->GetName();
  if (message->GetType() == TMessage::kSliderValChanged && mSlider && name == mSlider->GetName()) {
    const int count = GetItemCount();
    if (count == 0) {
      return true;
    }
    TSlider* slider = mSlider;
    mSlider = nullptr;
    const double position = double(count - 1) * double(slider->GetValue());
    const int index = int(std::floor(position + 0.5));
    if (Ask(index)) {
      SetSelectedItem(index);
    }
    mSlider = slider;
    return true;
  }
  if (message->GetType() != TMessage::kButtonPress) {
    return true;
  }
  if (mRefusedRow && name == mRefusedRow->GetName()) {
    mRefusedRow->SetOn(false);
    const int row = mRefusedPrevious - mFirst;
    if (mRefusedPrevious >= 0 && row >= 0 && row < int(mRows.size()) && mRows[size_t(row)]->IsVisible()) {
      mRows[size_t(row)]->SetOn(true);
    }
    mRefusedRow = nullptr;
    return true;
  }
  int step = 0;
  if (name == str("list_down")) {
    step = 1;
  } else if (name == str("list_up")) {
    step = -1;
  }
  if (step == 0) {
    return true;
  }
  const int selected = GetSelectedItem();
  SetFirstVisibleItem(mFirst + step);
  const int wanted = selected + step;
  if (GetSelectedItem() != selected || wanted < 0 || wanted >= GetItemCount()) {
    return true;
  }
  if (Ask(wanted)) {
    SetSelectedItem(wanted);
  }
  return true;
}

bool TListBox::IsItem(int index, const char* operation) const
{
  if (index >= 0 && index < GetItemCount()) {
    return true;
  }
  WriteDbg("ERROR: %s: list %s has no item %d", operation, GetName().c_str(), index);
  return false;
}

void TListBox::AddItem(const str& text)
{
  mItems.push_back(text);
  if (GetItemCount() <= mFirst + int(mRows.size())) {
    SetFirstVisibleItem(mFirst);
  }
}

void TListBox::DeleteItem(int index)
{
  if (!IsItem(index, "DeleteItem")) {
    return;
  }
  mItems.erase(mItems.begin() + index);
  SetFirstVisibleItem(mFirst);
}

void TListBox::ClearItems()
{
  mItems.clear();
  SetFirstVisibleItem(0);
}

str TListBox::GetItemText(int index)
{
  return IsItem(index, "GetItemText") ? mItems[size_t(index)] : str();
}

void TListBox::SetItemText(int index, const str& text)
{
  if (IsItem(index, "SetItemText")) {
    mItems[size_t(index)] = text;
  }
}

void TListBox::SetListener(TListBoxSelectedListener* listener)
{
  delete mListener;
  mListener = listener;
}

void TListBox::SetChangeCommandName(str name, TLuaFunction* function)
{
  if (TListBox* list = FindList(name)) {
    list->SetListener(new TChangeListBoxScript(function));
  } else {
    delete function;
  }
}

void TListBox::SetSelectedItemName(str name, int index)
{
  if (TListBox* list = FindList(name)) {
    // An index past the end would select a row without an item.
    list->SetSelectedItem(index < list->GetItemCount() ? index : -1);
  }
}

int TListBox::GetSelectedItemName(str name)
{
  TListBox* list = FindList(name);
  return list ? list->GetSelectedItem() : -1;
}

str TListBox::GetItemTextName(str name, int index)
{
  TListBox* list = FindList(name);
  return list ? list->GetItemText(index) : str();
}

void TListBox::SetItemTextName(str name, int index, str text)
{
  if (TListBox* list = FindList(name)) {
    list->SetItemText(index, text);
  }
}

void TListBox::AddItemName(str name, str text)
{
  if (TListBox* list = FindList(name)) {
    list->AddItem(text);
  }
}

void TListBox::DeleteItemName(str name, int index)
{
  if (TListBox* list = FindList(name)) {
    if (index == -1) {
      list->ClearItems();
    } else {
      list->DeleteItem(index);
    }
  }
}
