# help2man makes the headings of --help ("Commands:", "Exit status:") subsections
# of OPTIONS; in the manual page they are sections of their own.
s/^\.SS "\(.*\):"$/.SH "\U\1"/
