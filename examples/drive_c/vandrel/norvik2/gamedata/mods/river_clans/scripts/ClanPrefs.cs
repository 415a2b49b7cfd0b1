// River Clans mod: clan settings
$pref::Clan::name = "Hérvald Riverborn";
$pref::Clan::tag = "[HRV]";
$pref::Clan::motto = "Strøm og stål";
$pref::Clan::founder = "Oskvarl";
$pref::Clan::banner = "banners/otter_on_blue.png";
$pref::Clan::color = "0.15 0.35 0.6 1";

$pref::Clan::maxMembers = 40;
$pref::Clan::openRecruitment = 0;
$pref::Clan::taxRate = 0.1;
$pref::Clan::shareLoot = 1;

$pref::Clan::homeRiver = "Skjold";
$pref::Clan::allies = "Saltmarsh Fenwatch";
$pref::Clan::rivals = "Ravensgate";
$pref::Clan::longshipSlots = 3;
$pref::Clan::warHornVolume = 0.9;
