"""gameart: the drawings of the game's screens, rooms, findable things and suspects, made with
Cairo by tools/mkgameart.py."""
