-- quitverify: runs when the player closes the window (or the session asks the game to
-- end). The front desk has nothing to save, so the game ends at once.
GameLog( "close requested" )
PostMessage( CreateNamedMessage( kQuitNow, "quit" ) )
