// chat window
$pref::Chat::fontSize = 14;
$pref::Chat::font = "Arial";
$pref::Chat::lines = 8;
$pref::Chat::fadeSeconds = 12;
$pref::Chat::timestamps = 1;

$pref::Chat::teamColor = "0.4 0.8 1 1";
$pref::Chat::allColor = "1 1 1 1";
$pref::Chat::whisperColor = "0.9 0.5 0.9 1";
$pref::Chat::profanityFilter = 1;

$pref::Chat::maxHistory = 200;
$pref::Chat::showJoinLeave = 0;
$pref::Chat::ignoreList = "Krakeskjegg Ulvhild";
$pref::Chat::logFile = "logs/chat.log";
