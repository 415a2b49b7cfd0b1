#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fileservices/codepage.h"

namespace codepage {
namespace {

// The code page Wine 8 gives a Windows program for each locale that names another than
// 1252, as its GetACP() answers: "language" alone or "language_territory". A language
// alone takes the code page of its territories. Wine knows neither the territories left
// out ("ru_UA", "ar_IN": 1252) nor the scripts of "az", "sr", "uz" and "bs" by territory.
constexpr struct {
  int codePage;
  const char* locales;
} kWineCodePages[] = {
    {874, "th_th"},
    {1250, "bs cs_cz hr_hr hu_hu pl_pl ro_ro sk_sk sl_si sq_al sr tk_tm"},
    {1251, "be_by bg_bg ky_kg mk_mk mn_mn ru_ru sah_ru tg_tj tt_ru uk_ua"},
    {1253, "el_gr"},
    {1254, "az tr_tr uz"},
    {1255, "he_il"},
    {1256, "ar_ae ar_bh ar_dz ar_eg ar_iq ar_jo ar_kw ar_lb ar_ly ar_ma ar_om ar_qa ar_sa ar_sy "
           "ar_tn ar_ye ckb_iq fa_ir ug_cn ur_in ur_pk"},
    {1257, "et_ee lt_lt lv_lv"},
    {1258, "vi_vn"},
    {932, "ja_jp"},
    {936, "zh_cn zh_sg"},
    {949, "ko_kr"},
    {950, "zh_hk zh_tw"},
    {65001, "am_et as_in bn_bd bn_in bo_cn chr_us dv_mv dz_bt gu_in hi_in hy_am ka_ge kk_kz km_kh "
            "kn_in kok_in lo_la mi_nz ml_in mni_in mr_in mt_mt my_mm ne_np om_et or_in pa_in "
            "ps_af sa_in si_lk so_so st_za ta_in ta_lk te_in ti_er ti_et ts_za ve_za"},
};

// Whether the space-separated `list` holds `key`, or for a language alone, an entry of it.
bool Lists(std::string_view list, std::string_view key) {
  const bool language = key.find('_') == std::string_view::npos;
  while (!list.empty()) {
    const std::string_view entry = list.substr(0, list.find(' '));
    list.remove_prefix(std::min(list.size(), entry.size() + 1));
    if (entry == key || (language && entry.substr(0, entry.find('_')) == key)) return true;
  }
  return false;
}

}  // namespace

int LocaleCodePage(std::string_view locale) {
  // Neither the charset nor letter case count, and "-" stands for "_". Wine reads a few
  // modifiers as scripts ("@latin"), which it then mostly does not know: left aside here.
  std::string key(locale.substr(0, locale.find_first_of(".@")));
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c == '-') c = '_';
  }
  if (key.empty()) return 1252;
  // "zh" alone is 936, the first row with a territory of it.
  for (const auto& row : kWineCodePages)
    if (Lists(row.locales, key)) return row.codePage;
  return 1252;
}

int SystemCodePage() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
    if (const char* value = std::getenv(variable); value && *value) return LocaleCodePage(value);
  return 1252;
}

}  // namespace codepage
