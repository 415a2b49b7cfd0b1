// Norvik2 dedicated and listen server settings

$pref::Server::name = "Norvik Longhall";
$pref::Server::info = "Friendly raids, no griefing. Restarts at 04:00.";
$pref::Server::password = "";
$pref::Server::adminPassword = "changeme";
$pref::Server::maxPlayers = 24;
$pref::Server::port = 28410;
$pref::Server::dedicated = 0;
$pref::Server::public = 1;

$pref::Server::missionFile = "maps/skjold_river.mis";
$pref::Server::timeLimit = 45;
$pref::Server::scoreLimit = 300;
$pref::Server::friendlyFire = 0;
$pref::Server::respawnDelay = 8;   
$pref::Server::warmupSeconds = 30;

// kick idle players after this many minutes (0 = never)
$pref::Server::idleKickMinutes = 15;
$pref::Server::floodProtection = 1;
$pref::Server::maxPing = 350;
$pref::Server::voteKick = 1;

$pref::Server::connectionTimeout = 20000;
$pref::Server::motd = "Welcome to the Longhall. Type /help for commands.";
