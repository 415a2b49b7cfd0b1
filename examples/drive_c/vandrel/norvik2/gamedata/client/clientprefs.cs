// left over from an early build, which wrote this name in lower case
$pref::Player::name = "Player";
$pref::Video::resolution = "800 600 32";
$pref::Video::fullScreen = 1;
$pref::Audio::masterVolume = 1;
