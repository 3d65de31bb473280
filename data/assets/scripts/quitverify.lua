-- quitverify: runs when the player closes the window (or the session asks the game to end)
-- and asks whether to leave. Leaving posts the quit, on which the game saves the case in
-- progress; staying goes on playing. Progress that could not be saved is tried once more
-- first, and the question says when some still cannot be written.
GameLog( "close requested" )

local function Leave()
  PostMessage( CreateNamedMessage( kQuitNow, "quit" ) )
end

-- Nobody is asked when the game's script coroutine has stopped (its failure is on the
-- screen), or when the session ends the game within seconds anyway.
if not coroutine.isyieldable() or IsSessionEnding() then
  Leave()
elseif gQuitAsked then
  -- The question is open already.
  AnswerCloseRequest( "asking" )
else
  gQuitAsked = true
  AnswerCloseRequest( "asking" )
  local leave = ConfirmLeaving( "quit_title" )
  gQuitAsked = nil
  GameLog( "quit answered: " .. ( leave and "yes" or "no" ) )
  if leave then
    Leave()
  else
    AnswerCloseRequest( "stay" )
  end
end
