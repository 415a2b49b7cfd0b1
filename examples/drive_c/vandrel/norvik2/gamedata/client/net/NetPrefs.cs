// network tuning; the defaults suit most connections
$pref::Net::connectionSpeed = 3;
$pref::Net::packetRateToServer = 32;
$pref::Net::interpolationMs = 100;
$pref::Net::predictMovement = 1;

$pref::Net::lagometer = 0;
$pref::Net::showPing = 1;
$pref::Net::lanOnly = 0;
$pref::Net::favourites = "192.168.1.20:28410 longhall.norvik2.example:28410";
$pref::Net::queryTimeout = 2500;
$pref::Net::maxQueries = 40;

$pref::Net::downloadMods = 1;
$pref::Net::downloadFolder = "mods/downloaded";
$pref::Net::maxDownloadKBps = 512;
