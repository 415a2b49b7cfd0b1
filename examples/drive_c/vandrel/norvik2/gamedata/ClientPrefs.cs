// Norvik2 client preferences
// Written by the game on exit; edit while the game is closed.

$pref::Player::name = "Oskvarl";
$pref::Player::title = "Jarl of the Eastern Fjord"
$pref::Player::shieldColor = "0.12 0.20 0.45 1";
$pref::Player::lastCharacter = 2;
$pref::Player::fov = 90;

$pref::Video::resolution = "1280 720 32";
$pref::Video::windowedRes = "1024 768";
$pref::Video::fullScreen = 0;
$pref::Video::refreshRate = 60;
$pref::Video::vsync = 1;
$pref::Video::displayDevice = "OpenGL";
$pref::Video::gamma = 1.05;
$pref::Video::textureDetail = 2;
$pref::Video::shadowQuality = 1;
$pref::Video::drawDistance = 1800;
$pref::Video::waterReflections = 1;
$pref::Video::grassDensity = 0.6;
   
$pref::Input::mouseSensitivity = 0.35;
$pref::Input::invertMouse = 0;
$pref::Input::joystickEnabled = 0;
  $pref::Input::keyboardLayout = "qwerty";

$pref::Net::lastServer = "192.168.1.20:28410";
$pref::Net::masterServer = "master.norvik2.example:28400";
$pref::Net::packetRateToClient = 16;
$pref::Net::packetSize = 450;

$pref::HUD::showCompass = 1;
$pref::HUD::showMinimap = 1;
$pref::HUD::minimapZoom = 2.5;
$pref::HUD::damageNumbers = 0;
	$pref::HUD::crosshairStyle = 3;
$pref::HUD::crosshairColor = "0.9 0.85 0.6 1";

$pref::Game::difficulty = 2;
$pref::Game::autosaveMinutes = 10;
$pref::Game::language = "en";
$pref::Game::showTutorialHints = 0;
$pref::Game::introSeen = 1;
