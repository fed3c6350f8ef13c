# cmake -DMARKDOWN=markdown_py -DSOURCE=user-guide.md -DOUTPUT=user-guide.html -P UserGuide.cmake
# Turns the user guide from Markdown into one HTML page; its pictures sit beside it.
execute_process(
  COMMAND ${MARKDOWN} -x tables -x fenced_code -x toc ${SOURCE}
  OUTPUT_VARIABLE body
  ERROR_VARIABLE problem
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The user guide could not be made from ${SOURCE}: ${problem}")
endif()
file(STRINGS ${SOURCE} first_line LIMIT_COUNT 1)
string(REGEX REPLACE "^#+ *" "" title "${first_line}")
string(REPLACE "&" "&amp;" title "${title}")
string(REPLACE "<" "&lt;" title "${title}")
file(WRITE ${OUTPUT}.part
  "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
  "<title>${title}</title>\n<style>\n"
  "body { font-family: sans-serif; max-width: 60em; margin: 1em auto; padding: 0 1em; line-height: 1.45; }\n"
  "img { max-width: 100%; border: 1px solid #ccc; }\n"
  "table { border-collapse: collapse; } td, th { border: 1px solid #ccc; padding: 0.2em 0.5em; }\n"
  "code { background: #f3f3f3; }\n"
  "</style>\n</head>\n<body>\n${body}</body>\n</html>\n")
file(RENAME ${OUTPUT}.part ${OUTPUT})
