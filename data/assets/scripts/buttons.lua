-- buttons: the look shared by the game's menus and dialogs: fonts, colours, pictures and
-- the builders of buttons, arrows, check boxes, list rows, sliders, texts and panels.

kShellFont = "fonts/default.mvec"
kParchment = Color( 246, 236, 212 )
kInk = Color( 48, 32, 20 )
kGold = Color( 232, 196, 110 )
kBurgundy = Color( 120, 36, 32 )

function ShellImage( name )
  return "images/shell/" .. name .. ".png"
end

-- A text window: label is a string-table label (or "#" and the text itself).
function ShellText( t )
  return Text { name = t.name, x = t.x, y = t.y, w = t.w, h = t.h or 28, label = t.label or "",
                flags = t.flags or kHAlignLeft + kVAlignCenter,
                font = { kShellFont, t.size or 20, t.colour or kInk } }
end

-- A push button with its label centred in the game's font; small ones are narrower.
function ShellButton( t )
  local prefix = t.small and "smallbutton_" or "button_"
  local w = t.small and 150 or 220
  local h = t.small and 40 or 46
  local kind = t.kind or Button
  return kind { name = t.name, x = t.x, y = t.y, type = kPush, default = t.default, cancel = t.cancel,
                graphics = { ShellImage( prefix .. "up" ), ShellImage( prefix .. "down" ),
                             ShellImage( prefix .. "over" ) },
                command = t.command,
                Text { name = "label", x = 0, y = 2, w = w, h = h - 8, label = t.label,
                       flags = kHAlignCenter + kVAlignCenter,
                       font = { kShellFont, t.small and 18 or 21, kParchment } } }
end

-- A round button with an arrow ("left", "right", "up" or "down").
function ShellArrow( t )
  local base = "arrow_" .. t.direction .. "_"
  return Button { name = t.name, x = t.x, y = t.y, type = kPush, command = t.command,
                  graphics = { ShellImage( base .. "up" ), ShellImage( base .. "down" ),
                               ShellImage( base .. "over" ) } }
end

-- A check box (a toggle button): off, on, and both again under the pointer.
function ShellCheck( t )
  return Button { name = t.name, x = t.x, y = t.y, type = kToggle, command = t.command,
                  graphics = { ShellImage( "check_off" ), ShellImage( "check_on" ),
                               ShellImage( "check_off_over" ), ShellImage( "check_on_over" ) } }
end

-- The style of a list box's rows: radio buttons with a label.
kShellListRow = { type = kRadio, tw = 280, th = 30, tx = 14, ty = 0,
                  graphics = { ShellImage( "row_off" ), ShellImage( "row_on" ),
                               ShellImage( "row_off_over" ), ShellImage( "row_on_over" ) },
                  flags = kHAlignLeft + kVAlignCenter, font = { kShellFont, 20, kInk } }

-- A horizontal slider with the gold rail and thumb.
function ShellSlider( t )
  return Slider { name = t.name, x = t.x, y = t.y, w = t.w, h = 24, hslider = true,
                  railtop = ShellImage( "rail_end" ), railmid = ShellImage( "rail_mid" ),
                  railbot = ShellImage( "rail_end" ), sliderimage = ShellImage( "thumb" ),
                  sliderrollimage = ShellImage( "thumb_over" ), value = t.value or 0 }
end

-- The parchment of a dialog and its title.
function ShellPanel( title, wide )
  if wide then
    return Group { Bitmap { name = "panel", x = 20, y = 15, image = ShellImage( "panel_wide" ) },
                   ShellText { name = "title", x = 40, y = 35, w = 720, h = 40, label = title, size = 30,
                               colour = kBurgundy, flags = kHAlignCenter + kVAlignCenter } }
  end
  return Group { Bitmap { name = "panel", x = 120, y = 70, image = ShellImage( "panel" ) },
                 ShellText { name = "title", x = 140, y = 92, w = 520, h = 40, label = title, size = 30,
                             colour = kBurgundy, flags = kHAlignCenter + kVAlignCenter } }
end

-- Asks a question with Yes and No (scripts/question.lua): the string-table label of the
-- question and a value for its "%1%". True when the player answers yes, false for no. Waits
-- like DoModal, so only the game's script coroutine can ask.
function AskYesNo( question, value )
  gQuestion = GetString( question, value )
  gQuestionLabel = question
  return DoModal( "scripts/question.lua" ) == true
end

-- Before the game is left: what could not be saved is tried once more, notices that wait come
-- first (not over the question), and while progress still cannot be written the player is asked
-- whether to leave without it. With everything written, the question given is asked (none when
-- nil). True to leave.
function ConfirmLeaving( question )
  local unsaved = SaveBeforeQuit()
  local notice = TakeSaveNotice()
  while notice ~= "" do
    gSaveNotice = notice
    DoModal( "scripts/savenotice.lua" )
    notice = TakeSaveNotice()
  end
  if unsaved ~= "" then
    return AskYesNo( "quit_unsaved", unsaved )
  end
  return question == nil or AskYesNo( question )
end
