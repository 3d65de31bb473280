-- submit: sends the best score (or, with gSubmitMedals, the medals) to the hiscore service
-- under a name, or under an account with its password. Returns "qualified" or "success"
-- once the service has answered.

local setup = load( GetLuaServerSubmitSetupVars( gSubmitMedals == true ) )
if setup then
  setup()
end

local kForm = { "nameedit", "accountedit", "passedit", "remember", "cancel",
                "namelabel", "accountlabel", "passlabel", "rememberlabel", "intro" }

-- Send is offered only while a name or an account is typed; blanks alone are neither.
local function Named( entry )
  return ( GetLabel( entry ) or "" ):find( "[^%c ]" ) ~= nil
end

local function OfferSend( shown )
  EnableWindow( "submittoserver", shown and ( Named( "nameedit" ) or Named( "accountedit" ) ) )
end

function SwitchModes( connecting )
  for _, name in ipairs( kForm ) do
    EnableWindow( name, not connecting )
  end
  OfferSend( not connecting )
  EnableWindow( "submitconnect", connecting )
end

local function Send()
  EnableWindow( "entrystatus", false )
  EnableWindow( "submiterror", false )
  EnableWindow( "submiterrorok", false )
  SubmitToServer( GetLabel( "nameedit" ), GetLabel( "accountedit" ), GetLabel( "passedit" ),
                  GetButtonToggleState( "remember" ), gMedalsMode == true )
end

local function ErrorSeen()
  EnableWindow( "submiterror", false )
  EnableWindow( "submiterrorok", false )
  SwitchModes( false )
end

MakeDialog
{
  SubmitWindow
  {
    name = "submit", x = 0, y = 0, w = 800, h = 600,
    ShellPanel( "submit_title" ),
    ShellText { name = "intro", x = 160, y = 140, w = 480, h = 30, label = "submit_anonymous", size = 17 },
    ShellText { name = "namelabel", x = 160, y = 185, w = 140, label = "submit_name" },
    TextEdit { name = "nameedit", x = 310, y = 180, w = 320, h = 36, label = gNameEdit or "", statuswindow = "entrystatus",
               length = 24, utf8 = true, font = { kShellFont, 22, kInk } },
    ShellText { name = "accountlabel", x = 160, y = 235, w = 140, label = "submit_account" },
    TextEdit { name = "accountedit", x = 310, y = 230, w = 320, h = 36, label = gAccountEdit or "", statuswindow = "entrystatus",
               length = 24, utf8 = true, font = { kShellFont, 22, kInk } },
    ShellText { name = "passlabel", x = 160, y = 285, w = 140, label = "submit_password" },
    TextEdit { name = "passedit", x = 310, y = 280, w = 320, h = 36, label = gPassEdit or "", statuswindow = "entrystatus",
               length = 24, password = true, font = { kShellFont, 22, kInk } },
    ShellCheck { name = "remember", x = 310, y = 330 },
    ShellText { name = "rememberlabel", x = 350, y = 332, w = 250, label = "submit_remember" },
    ShellText { name = "entrystatus", x = 160, y = 362, w = 480, h = 28, label = "", colour = kBurgundy,
                flags = kHAlignCenter + kVAlignCenter },
    ShellText { name = "submitconnect", x = 160, y = 240, w = 480, h = 40, label = "submit_connect",
                flags = kHAlignCenter + kVAlignCenter },
    ShellText { name = "submiterror", x = 160, y = 200, w = 480, h = 90, label = "", colour = kBurgundy,
                flags = kHAlignCenter + kVAlignCenter },
    ShellButton { name = "submittoserver", x = 170, y = 400, label = "submit_send", default = true,
                  command = Send },
    ShellButton { name = "cancel", x = 410, y = 400, label = "button_cancel", cancel = true,
                  command = function() CloseWindow() end },
    ShellButton { name = "submiterrorok", x = 290, y = 400, label = "button_ok", command = ErrorSeen },
  }
}
SetButtonToggleState( "remember", gRemember == true )
EnableWindow( "entrystatus", false )
EnableWindow( "submiterror", false )
EnableWindow( "submiterrorok", false )
SwitchModes( false )
SetFocus( "nameedit" )
