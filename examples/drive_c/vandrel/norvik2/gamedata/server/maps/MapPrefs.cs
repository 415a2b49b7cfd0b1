// map rotation
$pref::Map::rotation = "skjold_river frostholm ravensgate saltmarsh";
$pref::Map::randomOrder = 0;
$pref::Map::voteAllowed = 1;
$pref::Map::voteSeconds = 20;

$pref::Map::weather = "rain";
$pref::Map::timeOfDay = 17.5;
$pref::Map::dayLengthMinutes = 40;
$pref::Map::fogDensity = 0.15;

$pref::Map::riverCurrent = 1.2;
$pref::Map::iceFloes = 0;
$pref::Map::wildlife = 1;
$pref::Map::maxCampfires = 20;
