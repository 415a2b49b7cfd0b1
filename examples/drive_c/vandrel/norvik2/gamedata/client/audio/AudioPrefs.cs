// sound and music
$pref::Audio::masterVolume = 0.8;
$pref::Audio::musicVolume = 0.55;
$pref::Audio::effectsVolume = 0.9;
$pref::Audio::voiceVolume = 1;
$pref::Audio::ambientVolume = 0.7;

$pref::Audio::driver = "OpenAL";
$pref::Audio::device = "Default Output";
$pref::Audio::channels = 32;
$pref::Audio::frequency = 44100;
$pref::Audio::environmentEnabled = 1;
	
$pref::Audio::muteWhenUnfocused = 1;
$pref::Audio::battleMusic = 1;
$pref::Audio::menuTrack = "music/hall_of_oars.ogg";

$pref::Audio::voiceChat = 1;
$pref::Audio::pushToTalk = 1;
$pref::Audio::micGain = 0.6;
