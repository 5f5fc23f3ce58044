# mirefell_add_resources(<target> [BITMAP <name> <file>]... [RCDATA <name> <file>]...)
#
# Embeds files into a program as module resources of the program itself, found at run time
# with FindResourceA(NULL, name, type) and the toolkit's ...FromResource entry points. A name
# that is a plain number is an integer name (MAKEINTRESOURCE(number)); any other is a string
# name. A BITMAP taken from a .bmp file drops the file's 14-byte header, so that the resource
# holds a bare DIB as a bitmap resource does. The files are read when the program is built.
function(mirefell_add_resources target)
  set(declarations "")
  set(registrations "")
  set(index 0)
  set(files "")
  set(arguments ${ARGN})
  list(LENGTH arguments count)
  if(NOT count EQUAL 0)
    math(EXPR remainder "${count} % 3")
    if(NOT remainder EQUAL 0)
      message(FATAL_ERROR "mirefell_add_resources: give TYPE NAME FILE triples")
    endif()
  endif()
  string(MAKE_C_IDENTIFIER "${target}" prefix)
  while(arguments)
    list(POP_FRONT arguments type name file)
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "mirefell_add_resources: no file ${file}")
    endif()
    set(skip 0)
    if(type STREQUAL "BITMAP")
      set(type_id 2)
      file(READ "${file}" magic LIMIT 2 HEX)
      if(magic STREQUAL "424d")
        set(skip 14)
      endif()
    elseif(type STREQUAL "RCDATA")
      set(type_id 10)
    else()
      message(FATAL_ERROR "mirefell_add_resources: type ${type} is neither BITMAP nor RCDATA")
    endif()
    if(name MATCHES "^[0-9]+$")
      set(name_expression "MAKEINTRESOURCEA(${name})")
    else()
      string(REPLACE "\\" "\\\\" escaped "${name}")
      string(REPLACE "\"" "\\\"" escaped "${escaped}")
      set(name_expression "\"${escaped}\"")
    endif()
    set(symbol "mirefell_resource_${prefix}_${index}")
    string(APPEND declarations
      "asm(\".section .rodata.${symbol},\\\"a\\\"\\n\"\n"
      "    \".balign 16\\n\"\n"
      "    \".hidden ${symbol}\\n.globl ${symbol}\\n${symbol}:\\n\"\n"
      "    \".incbin \\\"${file}\\\", ${skip}\\n\"\n"
      "    \".hidden ${symbol}_end\\n.globl ${symbol}_end\\n${symbol}_end:\\n\"\n"
      "    \".previous\\n\");\n"
      "extern \"C\" const unsigned char ${symbol}[];\n"
      "extern \"C\" const unsigned char ${symbol}_end[];\n")
    string(APPEND registrations
      "    win32::RegisterResource(\"\", MAKEINTRESOURCEA(${type_id}), ${name_expression}, ${symbol},\n"
      "                            static_cast<DWORD>(${symbol}_end - ${symbol}));\n")
    list(APPEND files "${file}")
    math(EXPR index "${index} + 1")
  endwhile()
  set(source "${CMAKE_CURRENT_BINARY_DIR}/${prefix}_resources.cpp")
  file(CONFIGURE OUTPUT "${source}" @ONLY CONTENT
"// Made by mirefell_add_resources: the resources embedded in ${target}.
#include \"platform/win32/resources.h\"

@declarations@
namespace {

struct ResourceRegistrar {
  ResourceRegistrar() {
@registrations@  }
} registrar;

}  // namespace
")
  set_source_files_properties("${source}" PROPERTIES OBJECT_DEPENDS "${files}")
  target_sources(${target} PRIVATE "${source}")
endfunction()
