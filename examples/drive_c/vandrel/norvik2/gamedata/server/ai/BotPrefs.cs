// computer-controlled raiders
$pref::Bot::count = 6;
$pref::Bot::fillToPlayers = 12;
$pref::Bot::skill = 0.65;
$pref::Bot::reactionMs = 280;
$pref::Bot::aimSpread = 4.5;

$pref::Bot::useBoats = 1;
$pref::Bot::useHorses = 0;
$pref::Bot::lootRadius = 40;
$pref::Bot::retreatHealth = 0.25;

$pref::Bot::names = "Brand Eirik Gunnvor Halla Ketil Sigrun Torvald Yrsa";
$pref::Bot::clanTag = "[BOT]";
$pref::Bot::chatter = 1;
$pref::Bot::taunts = 0;

$pref::Bot::pathRebuildSeconds = 30;
$pref::Bot::debugPaths = 0;