# THIRD-PARTY-NOTICES.txt of the Windows download: the parts of others that the Qt DLLs
# and plugins carry (FreeType, HarfBuzz, libpng, zlib, PCRE2 and the rest, as the Qt build
# found them: NOTICES/bundled.txt), each with its version, copyright and licence, then
# every licence text in full.
function(norvik_third_party_notices notices out)
  file(STRINGS ${notices}/bundled.txt ids)
  set(summary "")
  set(texts "")
  foreach(id IN LISTS ids)
    file(READ ${notices}/${id}/attribution.json entry)
    string(JSON name GET "${entry}" Name)
    set(heading "${name} (${id})")
    string(JSON version ERROR_VARIABLE no_version GET "${entry}" Version)
    if(NOT no_version AND version)
      string(APPEND heading ", version ${version}")
    endif()
    string(JSON licence ERROR_VARIABLE no_licence GET "${entry}" License)
    string(JSON copyright ERROR_VARIABLE no_copyright GET "${entry}" Copyright)
    string(JSON kind ERROR_VARIABLE no_copyright TYPE "${entry}" Copyright)
    if(kind STREQUAL "ARRAY")  # a list of lines
      string(JSON count LENGTH "${entry}" Copyright)
      math(EXPR last "${count} - 1")
      set(lines "")
      foreach(i RANGE ${last})
        string(JSON line GET "${entry}" Copyright ${i})
        string(APPEND lines "${line}\n")
      endforeach()
      set(copyright "${lines}")
    endif()
    if(id STREQUAL "freetype")
      # The FreeType Project License asks for this credit in the documentation.
      string(REGEX MATCHALL "(19|20)[0-9][0-9]" years "${copyright}")
      list(POP_BACK years year)
      set(freetype_credit "Portions of this software are copyright © ${year} The FreeType Project\n(www.freetype.org). All rights reserved.\n\n")
    endif()
    string(STRIP "${copyright}" copyright)
    string(APPEND summary "== ${heading}\nLicence: ${licence}\n${copyright}\n")
    file(GLOB files LIST_DIRECTORIES false ${notices}/${id}/*)
    list(REMOVE_ITEM files ${notices}/${id}/attribution.json)
    list(SORT files)
    foreach(file IN LISTS files)
      get_filename_component(file_name ${file} NAME)
      string(APPEND summary "Licence text: ${id}/${file_name} below\n")
      file(READ ${file} text)
      string(APPEND texts "\n======== ${id}/${file_name}\n\n${text}")
    endforeach()
    string(APPEND summary "\n")
  endforeach()
  file(WRITE ${out}
    "Parts of others in the Qt libraries of this download\n\n"
    "${freetype_credit}"
    "Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll and the plugins in platforms, styles and\n"
    "imageformats hold, besides Qt itself (QT-NOTICE.txt), code of the parts listed here,\n"
    "each under its own licence. The licence texts follow the list.\n\n"
    "${summary}${texts}")
endfunction()
